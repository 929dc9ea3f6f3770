// Every command re-reads the preset file: the file is the only store, so windows in other host
// sessions see each other's changes at their next command.
#include "module/commands/preset_commands.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QString>

#include "module/binding/error_report.h"
#include "module/binding/errors.h"
#include "module/binding/py_json.h"
#include "module/binding/qt_values.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/functions/preset_functions.h"
#include "module/state.h"
#include "presets/settings_snapshot.h"
#include "pyhost/python_error.h"
#include "scene/undo_chunk.h"
#include "ui/main_window.h"

namespace trembla::ext {

using py::PyRef;

namespace {

// The text of a preset list entry, or nothing when no entry is given.
std::optional<std::string> entry_name(const QListWidgetItem* entry) {
    return entry != nullptr ? std::optional<std::string>(utf8_of(entry->text())) : std::nullopt;
}

// The white space Python's str.strip() removes: Qt's, plus the four ASCII separators 0x1C-0x1F.
bool is_python_space(QChar c) {
    const ushort code = c.unicode();
    return c.isSpace() || (code >= 0x1C && code <= 0x1F);
}

QString stripped(const QString& text) {
    int begin = 0;
    int end = text.size();
    while (begin < end && is_python_space(text.at(begin))) {
        ++begin;
    }
    while (end > begin && is_python_space(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

void set_name_field(Host& host, WindowCommand& command, QLineEdit* TremblaToolWindow::*field,
                    const std::optional<std::string>& name) {
    if (name && host.obj_exists(*name)) {
        (command.window().*field)->setText(qstring_of(*name));
    }
}

// Sets the controls in the order a user would see them change. The rows, check boxes and mode
// buttons are set through their ordinary setters without blocking signals: their handlers
// re-apply a prepared shake as if the user had made each change. Those handlers run host
// commands, and so Python, so the window is asked for again before each control.
void apply_record(Host& host, WindowCommand& command, const PresetJson& record) {
    const PresetToApply preset = read_preset_record(record);
    for (const std::string& warning : preset.warnings) {
        host.warning(warning);
    }
    if (!record.is_object()) {
        return;  // ignored whole, as its warning says
    }
    set_name_field(host, command, &TremblaToolWindow::camera_field, preset.camera);
    set_name_field(host, command, &TremblaToolWindow::source_field, preset.source);

    const auto w = [&command]() -> TremblaToolWindow& { return command.window(); };
    const ControlValues& s = preset.settings;
    w().lag_trans_slider->setValue(s.lag_trans);
    w().lag_rot_slider->setValue(s.lag_rot);
    w().smoothing_slider->setValue(s.smooth);
    w().amount_slider->setValue(s.amount);
    w().trans_amp_slider->setValue(s.trans_amp);
    w().rot_amp_slider->setValue(s.rot_amp);
    w().fade_in_slider->setValue(s.fade_in);
    w().fade_out_slider->setValue(s.fade_out);
    // Committed as the user's Return would: the shake follows the preset's ranges.
    w()._set_ranges_text(qstring_of(s.ranges));
    if (s.mode == "static") {
        w().mode_static->setChecked(true);
    } else if (s.mode == "relax") {
        w().mode_relax->setChecked(true);
    } else {
        w().mode_animated->setChecked(true);
    }
    w().layer_field->setText(qstring_of(s.layer_name));
    w().translate_cb->setChecked(s.translate_enabled);
    w().rotate_cb->setChecked(s.rotate_enabled);
    w().trans_x_slider->setValue(s.trans_x);
    w().trans_y_slider->setValue(s.trans_y);
    w().trans_z_slider->setValue(s.trans_z);
    w().rot_x_slider->setValue(s.rot_x);
    w().rot_y_slider->setValue(s.rot_y);
    w().rot_z_slider->setValue(s.rot_z);
}

// The JSON form of one member of a script's preset record. A value JSON cannot hold reads as
// null, which applying then ignores with its usual warning naming the member.
PresetJson member_json(PyObject* value) {
    try {
        return json_from_python(value, "value");
    } catch (const ArgumentTypeError&) {
    } catch (const std::invalid_argument&) {
    }
    return PresetJson();
}

// record.get(name) for a dict, held for as long as the caller needs it.
PyRef dict_member(PyObject* dict, const char* name) { return PyRef::borrow(PyDict_GetItemString(dict, name)); }

// The members of a script's preset record that applying reads, as JSON. Only those are
// converted, so anything else the record carries cannot get in the way.
PresetJson record_json(PyObject* preset_data) {
    if (!PyDict_Check(preset_data)) {
        return PresetJson();  // applying warns that it expected an object
    }
    PresetJson record = PresetJson::object();
    for (const char* member : {"camera", "source"}) {
        if (PyRef value = dict_member(preset_data, member)) {
            record[member] = member_json(value.get());
        }
    }
    PyRef settings = dict_member(preset_data, "settings");
    if (!settings) {
        return record;
    }
    if (!PyDict_Check(settings.get())) {
        record["settings"] = member_json(settings.get());
        return record;
    }
    const PresetJson known = to_json(ShakeControls{}).at("settings");
    PresetJson members = PresetJson::object();
    for (const auto& setting : known.items()) {
        if (PyRef value = dict_member(settings.get(), setting.key().c_str())) {
            members[setting.key()] = member_json(value.get());
        }
    }
    record["settings"] = std::move(members);
    return record;
}

// The list is filled only once the file has been read: reading may warn, and so run Python.
void fill_preset_list(PyObject* module, WindowCommand& command) {
    const std::string path = preset_file_path_for_store(module);
    py::PythonHost host = host_for(module);
    const LoadedPresetNames loaded = load_preset_names(path);
    if (loaded.warning) {
        host.warning(*loaded.warning);
    }
    QListWidget* list = command.window().preset_list;
    list->clear();
    for (const std::string& name : loaded.names) {
        list->addItem(qstring_of(name));
    }
}

void refresh_preset_list(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Presets,
                       [module](WindowCommand& command) { fill_preset_list(module, command); });
}

// Warnings are given only after the update: the lock is never held across a call into the host.
void warn_all(Host& host, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        host.warning(warning);
    }
}

void save_preset(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Presets, [module](WindowCommand& command) {
        const std::string name = utf8_of(stripped(command.window().preset_name_field->text()));
        py::PythonHost host = host_for(module);
        if (name.empty()) {
            host.warning("Please enter a preset name.");
            return;
        }
        const std::string path = preset_file_path_for_store(module);
        PresetJson snapshot = to_json(read_controls(command.window()));
        const PresetUpdate update = update_presets(path, [&](PresetJson& presets) {
            presets[name] = std::move(snapshot);
            return true;
        });
        warn_all(host, update.warnings);
        if (!update.ok) {
            host.warning("Failed to save preset.");
            return;
        }
        fill_preset_list(module, command);
        command.window().preset_name_field->clear();
        host.in_view_message("Preset '" + name + "' saved!");
        host.print_line("Preset saved: " + name);
    });
}

// `item` is read before anything runs Python: the entry may go with the list or the window.
void load_selected_preset(PyObject* module, TremblaToolWindow& target, QListWidgetItem* item) {
    run_window_command(module, target, CommandKind::Presets, [module, item](WindowCommand& command) {
        QListWidgetItem* chosen = item != nullptr ? item : command.window().preset_list->currentItem();
        const std::optional<std::string> name = entry_name(chosen);
        py::PythonHost host = host_for(module);
        if (!name) {
            host.warning("Please select a preset to load.");
            return;
        }
        const std::string path = preset_file_path_for_store(module);
        const LoadedPresets loaded = load_presets_warning(host, path);
        const auto found = loaded.presets.find(*name);
        if (found == loaded.presets.end()) {
            host.warning("Preset '" + *name + "' not found.");
            return;
        }
        {
            // The controls' updates run inside: loading a preset is one step to undo.
            const UndoChunk chunk(host, "Trembla: load preset");
            apply_record(host, command, *found);
        }
        command.window()._switch_tab(0);
        host.in_view_message("Preset '" + *name + "' loaded!");
        host.print_line("Preset loaded: " + *name);
    });
}

void delete_selected_preset(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Presets, [module](WindowCommand& command) {
        QListWidgetItem* item = command.window().preset_list->currentItem();
        const std::optional<std::string> name = entry_name(item);
        py::PythonHost host = host_for(module);
        if (!name) {
            host.warning("Please select a preset to delete.");
            return;
        }
        const std::string path = preset_file_path_for_store(module);
        // Looked up in the file as it is under the lock, not as the list last showed it.
        const PresetUpdate update = update_presets(path, [&](PresetJson& presets) {
            const auto found = presets.find(*name);
            if (found == presets.end()) {
                return false;
            }
            presets.erase(found);
            return true;
        });
        warn_all(host, update.warnings);
        if (!update.ok) {
            host.warning("Failed to delete preset.");
            return;
        }
        if (!update.changed) {
            host.warning("Preset '" + *name + "' not found.");
            return;
        }
        fill_preset_list(module, command);
        host.in_view_message("Preset '" + *name + "' deleted.");
        host.print_line("Preset deleted: " + *name);
    });
}

}  // namespace

// The hooks hand `module` on at once: the window owns the hooks, and a command may delete the
// window, and with it the hook that is running.
void install_preset_commands(WindowContext& context, PyObject* module) {
    context.save_preset = [module](TremblaToolWindow& w) { save_preset(module, w); };
    context.load_selected_preset = [module](TremblaToolWindow& w, QListWidgetItem* item) {
        load_selected_preset(module, w, item);
    };
    context.delete_selected_preset = [module](TremblaToolWindow& w) { delete_selected_preset(module, w); };
    context.refresh_preset_list = [module](TremblaToolWindow& w) { refresh_preset_list(module, w); };
}

PyRef current_settings(TremblaToolWindow& window) { return python_from_json(to_json(read_controls(window))); }

PresetJson preset_record_from_python(PyObject* preset_data) { return record_json(preset_data); }

void apply_settings(PyObject* module, TremblaToolWindow& target, const PresetJson& preset_record) {
    run_window_command(module, target, CommandKind::Presets, [&](WindowCommand& command) {
        py::PythonHost host = host_for(module);
        const UndoChunk chunk(host, "Trembla: apply preset");
        apply_record(host, command, preset_record);
    });
}

}  // namespace trembla::ext
