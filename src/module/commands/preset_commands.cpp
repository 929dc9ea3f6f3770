// Every command re-reads the preset file: the file is the only store, so windows in other host
// sessions see each other's changes at their next command.
#include "module/commands/preset_commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QVariant>

#include "module/binding/error_report.h"
#include "module/binding/errors.h"
#include "module/binding/py_json.h"
#include "module/binding/qt_values.h"
#include "module/commands/clip_commands.h"
#include "module/commands/preset_dialogs.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/functions/clip_functions.h"
#include "module/functions/preset_functions.h"
#include "module/state.h"
#include "presets/atomic_file.h"
#include "presets/file_identity.h"
#include "presets/settings_snapshot.h"
#include "presets/shared_presets.h"
#include "pyhost/python_error.h"
#include "scene/applied_links.h"
#include "scene/undo_chunk.h"
#include "ui/main_window.h"
#include "ui/tool_tip.h"

namespace trembla::ext {

using py::PyRef;

namespace {

// A shared entry is marked beside its name, keeps the name here and shows its folder in its tooltip.
constexpr int kNameRole = TremblaToolWindow::kPresetNameRole;

// The preset name of a list entry, or nothing when no entry is given.
std::optional<std::string> entry_name(const QListWidgetItem* entry) {
    if (entry == nullptr) {
        return std::nullopt;
    }
    const QVariant name = entry->data(kNameRole);
    return utf8_of(name.isValid() ? name.toString() : entry->text());
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

// Sets `field` to a name the preset holds when that node exists; answers whether it did.
bool set_name_field(Host& host, WindowCommand& command, QLineEdit* TremblaToolWindow::*field,
                    const std::optional<std::string>& name) {
    if (!name || name->empty() || !host.obj_exists(*name)) return false;
    (command.window().*field)->setText(qstring_of(*name));
    return true;
}

// Where a preset's camera and source go. A shared preset is a studio's, loaded on every shot:
// it never points the tool at a camera. While a shake is live, the settings go to it and the
// camera and source stay; the user hears so. Otherwise the named nodes that exist are picked,
// and the line names them: a camera changed without a word is easy to miss. A clip the preset
// names counts as its source: chosen by the same rule, and only while the clip files offer it.
struct PresetNames {
    enum Rule { picked, kept_for_live_shake, never } rule = picked;
    std::string live_camera;  // kept_for_live_shake: the camera it shakes
};

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    }
    return text;
}

void apply_names(PyObject* module, Host& host, WindowCommand& command, const PresetToApply& preset,
                 const PresetNames& names) {
    if (names.rule == PresetNames::never) return;
    if (names.rule == PresetNames::kept_for_live_shake) {
        const auto differs = [&](const std::optional<std::string>& name, QLineEdit* TremblaToolWindow::*field) {
            return name && !name->empty() && *name != utf8_of((command.window().*field)->text());
        };
        if (differs(preset.camera, &TremblaToolWindow::camera_field) ||
            differs(preset.source, &TremblaToolWindow::source_field) ||
            (preset.clip && *preset.clip != command.window()._source_clip)) {
            host.print_line("The preset's camera and source were not applied: the shake on " +
                            shown_name(names.live_camera) + " is live.");
        }
        return;
    }
    std::vector<std::string> picked;
    if (set_name_field(host, command, &TremblaToolWindow::camera_field, preset.camera)) {
        picked.push_back("camera " + shown_name(*preset.camera));
    }
    const bool source_picked = set_name_field(host, command, &TremblaToolWindow::source_field, preset.source);
    if (source_picked) picked.push_back("source " + shown_name(*preset.source));
    std::optional<std::string> clip;
    if (preset.clip) {
        if (find_clip_by_name(module, host, *preset.clip)) {
            clip = preset.clip;
            picked.push_back("clip " + shown_name(*preset.clip));
        } else {
            host.warning("Clip " + shown_name(*preset.clip) + " of the preset not found in the clip files.");
        }
    }
    // The object a preset picks is the source again, as an object picked from the scene is.
    if (clip || (source_picked && !command.window()._source_clip.empty())) {
        TremblaToolWindow& window = command.window();
        window._source_clip = clip.value_or(std::string());
        window._clip_offset = 0;
        window._show_source_choice();
        show_clip_before_prepare(module, command);
    }
    if (!picked.empty()) host.print_line("The preset picked " + listed(picked) + ".");
}

// How the names of a preset applied now are treated (see apply_names).
PresetNames names_rule(PyObject* module, bool shared) {
    if (shared) return {PresetNames::never, {}};
    const PreparedRecord record = current_prepared(module);
    if (!record->ready) return {PresetNames::picked, {}};
    return {PresetNames::kept_for_live_shake, record->camera.value_or(std::string())};
}

// Sets the controls in the order a user would see them change. The rows, check boxes and mode
// buttons are set through their ordinary setters without blocking signals: their handlers
// re-apply a prepared shake as if the user had made each change. Those handlers run host
// commands, and so Python, so the window is asked for again before each control.
void apply_record(PyObject* module, Host& host, WindowCommand& command, const PresetJson& record,
                  const PresetNames& names) {
    const PresetToApply preset = read_preset_record(record);
    for (const std::string& warning : preset.warnings) {
        host.warning(warning);
    }
    if (!record.is_object()) {
        return;  // ignored whole, as its warning says
    }
    apply_names(module, host, command, preset, names);

    for_each_setting(preset.settings,
                     [&command](const char* name, const auto& value) { set_control(command.window(), name, value); });
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
    for (const char* member : {"camera", "source", "clip"}) {
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
    PresetJson members = PresetJson::object();
    const ControlValues known;
    for_each_setting(known, [&](const char* name, const auto&) {
        if (PyRef value = dict_member(settings.get(), name)) {
            members[name] = member_json(value.get());
        }
    });
    record["settings"] = std::move(members);
    return record;
}

// The list is filled only once the files have been read: reading may warn, and so run Python.
// The user's presets come first, then the shared ones no earlier file holds, with their folder.
void fill_preset_list(PyObject* module, WindowCommand& command) {
    const std::string path = preset_file_path_for_store(module);
    py::PythonHost host = host_for(module);
    const LoadedPresetNames loaded = load_preset_names(path);
    if (loaded.warning) {
        host.warning(*loaded.warning);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> shared;
    for (const SharedPresetFile& file : shared_preset_files(path)) {
        LoadedPresetNames names = load_preset_names(file.path);
        if (names.warning) {
            host.warning(*names.warning);
        }
        shared.emplace_back(file.folder, std::move(names.names));
    }
    QListWidget* list = command.window().preset_list;
    list->clear();
    for (const ListedPreset& preset : listed_presets(loaded.names, shared)) {
        if (!preset.shared_folder) {
            list->addItem(qstring_of(preset.name));
            continue;
        }
        auto* item = new QListWidgetItem(qstring_of(preset.name + "  (shared)"));
        item->setData(kNameRole, qstring_of(preset.name));
        item->setToolTip(wrapped_tip(
            qstring_of("Shared from\n" + *preset.shared_folder + "\nLoad it, or save it under a name of your own.")));
        list->addItem(item);
    }
}

// The preset `name` as the list resolves it: the user's own, else the first shared file's that
// holds it. Unusable files warn and count as empty.
struct FoundPreset {
    PresetJson record;
    bool shared = false;
};

std::optional<FoundPreset> find_preset(Host& host, const std::string& user_path, const std::string& name) {
    const LoadedPresets own = load_presets_warning(host, user_path);
    const auto found = own.presets.find(name);
    if (found != own.presets.end()) {
        return FoundPreset{*found, false};
    }
    for (const SharedPresetFile& file : shared_preset_files(user_path)) {
        const LoadedPresets shared = load_presets_warning(host, file.path);
        const auto in_shared = shared.presets.find(name);
        if (in_shared != shared.presets.end()) {
            return FoundPreset{*in_shared, true};
        }
    }
    return std::nullopt;
}

// The shared folder that lists `name`, for a refusal to delete it.
std::optional<std::string> shared_folder_of(const std::string& user_path, const std::string& name) {
    for (const SharedPresetFile& file : shared_preset_files(user_path)) {
        const LoadedPresetNames names = load_preset_names(file.path);
        if (std::find(names.names.begin(), names.names.end(), name) != names.names.end()) {
            return file.folder;
        }
    }
    return std::nullopt;
}

bool user_file_holds(const std::string& user_path, const std::string& name) {
    const LoadedPresets own = load_presets(user_path);
    return own.presets.find(name) != own.presets.end();
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
        if (command.window()._by_own_control && user_file_holds(path, name) &&
            ask_user(module, command, "Preset '" + name + "' exists. Replace it?") != Answer::yes) {
            return;
        }
        PresetJson snapshot = to_json(read_controls(command.window()), command.window()._source_clip);
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
        const std::optional<FoundPreset> found = find_preset(host, path, *name);
        if (!found) {
            host.warning("Preset '" + *name + "' not found.");
            return;
        }
        {
            // The controls' updates run inside: loading a preset is one step to undo.
            const UndoChunk chunk(host, "Trembla: load preset");
            apply_record(module, host, command, found->record, names_rule(module, found->shared));
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
        if (command.window()._by_own_control && user_file_holds(path, *name) &&
            ask_user(module, command, "Delete preset '" + *name + "'?") != Answer::yes) {
            return;
        }
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
            // A shared file is never written: its presets go only where they came from.
            if (const std::optional<std::string> folder = shared_folder_of(path, *name)) {
                host.warning("Preset '" + *name + "' is shared from " + *folder + " and cannot be deleted here.");
            } else {
                host.warning("Preset '" + *name + "' not found.");
            }
            return;
        }
        fill_preset_list(module, command);
        host.in_view_message("Preset '" + *name + "' deleted.");
        host.print_line("Preset deleted: " + *name);
    });
}

// The file a script named, or the one the user picks; nothing when the user picks none.
std::optional<std::string> preset_file_arg(PyObject* module, WindowCommand& command, const QString& path, bool save) {
    if (!path.isEmpty()) {
        PyRef text = py::PyRef::steal(py::text(utf8_of(path)));
        if (!text) {
            py::throw_python_error();
        }
        return store_path_of(text.get());
    }
    return choose_preset_file(module, command, save);
}

std::string count_text(std::size_t count) { return std::to_string(count) + (count == 1 ? " preset" : " presets"); }

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// Merges a preset file into the user's. Started from the button, replacing presets of the same
// name asks first (yes: replace them, no: keep them and add the rest, cancel: nothing); a script's
// import replaces them, as its save does.
void import_presets(PyObject* module, TremblaToolWindow& target, QString given) {
    run_window_command(module, target, CommandKind::Presets, [&](WindowCommand& command) {
        const bool by_user = command.window()._by_own_control;
        py::PythonHost host = host_for(module);
        const std::optional<std::string> file = preset_file_arg(module, command, given, false);
        if (!file) {
            return;
        }
        const LoadedPresets incoming = load_presets(*file);
        if (incoming.status != PresetFileStatus::loaded) {
            host.warning(incoming.warning ? *incoming.warning : "No preset file at " + *file + ".");
            host.warning("Failed to import presets.");
            return;
        }
        const std::string path = preset_file_path_for_store(module);
        bool replace = !by_user;
        if (by_user) {
            const ImportPlan plan = plan_import(load_presets(path).presets, incoming.presets);
            if (!plan.replaced.empty()) {
                const Answer answer = ask_user(module, command,
                                               "Replace " + count_text(plan.replaced.size()) + " of the same name (" +
                                                   joined(plan.replaced) + ")? No keeps yours and imports the others.",
                                               true);
                if (answer == Answer::cancel) {
                    return;
                }
                replace = answer == Answer::yes;
            }
        }
        int changed = 0;
        const PresetUpdate update = update_presets(path, [&](PresetJson& presets) {
            changed = merge_presets(presets, incoming.presets, replace);
            return changed > 0;
        });
        warn_all(host, update.warnings);
        if (!update.ok) {
            host.warning("Failed to import presets.");
            return;
        }
        fill_preset_list(module, command);
        const std::string count = count_text(static_cast<std::size_t>(changed));
        host.in_view_message("Imported " + count + ".");
        host.print_line("Presets imported: " + count + " from " + *file);
    });
}

// Writes the selected presets (the user's own, or shared ones) to a preset file of their own.
void export_presets(PyObject* module, TremblaToolWindow& target, QString given) {
    run_window_command(module, target, CommandKind::Presets, [&](WindowCommand& command) {
        // Read before anything runs Python: the entries go with the list.
        std::vector<std::string> names;
        for (const QListWidgetItem* item : command.window().preset_list->selectedItems()) {
            names.push_back(*entry_name(item));
        }
        std::sort(names.begin(), names.end());
        py::PythonHost host = host_for(module);
        if (names.empty()) {
            host.warning("Please select presets to export.");
            return;
        }
        const std::optional<std::string> file = preset_file_arg(module, command, given, true);
        if (!file) {
            return;
        }
        // By the file, not the spelling: a link, a linked folder, ".." or a hard link to the
        // user's own file would otherwise replace it whole.
        const std::string path = preset_file_path_for_store(module);
        bool read_here = same_file(*file, path);
        for (const SharedPresetFile& shared : shared_preset_files(path)) {
            read_here = read_here || same_file(*file, shared.path);
        }
        if (read_here) {
            host.warning("Cannot export into " + *file + ": the tool reads its presets from there.");
            return;
        }
        PresetJson chosen = PresetJson::object();
        for (const std::string& name : names) {
            if (std::optional<FoundPreset> found = find_preset(host, path, name)) {
                chosen[name] = std::move(found->record);
            } else {
                host.warning("Preset '" + name + "' not found.");
            }
        }
        if (chosen.empty()) {
            return;
        }
        // A file there that is not a usable preset file is kept as a numbered copy first.
        if (!save_presets_warning(host, *file, chosen, ExistingPresetFile::back_up_if_unusable)) {
            host.warning("Failed to export presets.");
            return;
        }
        const std::string count = count_text(chosen.size());
        host.in_view_message("Exported " + count + ".");
        host.print_line("Presets exported: " + count + " to " + *file);
    });
}

// A build whose preset file does not exist yet, beside another release's folder with presets,
// offers to copy them. The answer is kept as the file itself: yes writes the copy, no an empty
// preset file, so neither is asked again.
void offer_preset_copy(PyObject* module, TremblaToolWindow& target) {
    if (target._preset_copy_offered) {
        return;
    }
    run_window_command(module, target, CommandKind::Presets, [&](WindowCommand& command) {
        command.window()._preset_copy_offered = true;
        const std::string path = preset_file_path_for_store(module);
        if (read_whole_file(path).status != FileRead::Status::missing) {
            return;
        }
        const std::optional<std::string> directory = module_directory_for_store(module);
        const std::optional<std::string> other = directory ? other_release_preset_file(*directory) : std::nullopt;
        if (!other) {
            return;
        }
        const LoadedPresets found = load_presets(*other);
        const std::string count = count_text(found.presets.size());
        const bool copy =
            ask_user(module, command, "This build has no presets yet. Copy the " + count + " of " + *other + "?") ==
            Answer::yes;
        py::PythonHost host = host_for(module);
        const PresetUpdate update = update_presets(path, [&](PresetJson& presets) {
            if (copy) {
                merge_presets(presets, found.presets, false);
            }
            return true;
        });
        warn_all(host, update.warnings);
        if (!update.ok || !copy) {
            return;
        }
        fill_preset_list(module, command);
        host.in_view_message("Copied " + count + ".");
        host.print_line("Presets copied: " + count + " from " + *other);
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
    context.import_presets = [module](TremblaToolWindow& w, const QString& path) { import_presets(module, w, path); };
    context.export_presets = [module](TremblaToolWindow& w, const QString& path) { export_presets(module, w, path); };
    context.offer_preset_copy = [module](TremblaToolWindow& w) { offer_preset_copy(module, w); };
}

PyRef current_settings(TremblaToolWindow& window) {
    return python_from_json(to_json(read_controls(window), window._source_clip));
}

PresetJson preset_record_from_python(PyObject* preset_data) { return record_json(preset_data); }

void apply_settings(PyObject* module, TremblaToolWindow& target, const PresetJson& preset_record) {
    run_window_command(module, target, CommandKind::Presets, [&](WindowCommand& command) {
        py::PythonHost host = host_for(module);
        const UndoChunk chunk(host, "Trembla: apply preset");
        apply_record(module, host, command, preset_record, names_rule(module, false));
    });
}

}  // namespace trembla::ext
