// The clip list is the module's own list_clips, called as a script would: the list a script sees
// and the one the window offers are one list, in one order.
#include "module/commands/clip_commands.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include <QSignalBlocker>
#include <QString>

#include "core/records.h"
#include "module/binding/py_json.h"
#include "module/binding/qt_values.h"
#include "module/commands/preset_dialogs.h"
#include "module/commands/shake_preview_feed.h"
#include "module/commands/window_command.h"
#include "module/functions/clip_functions.h"
#include "module/state.h"
#include "pyhost/python_error.h"
#include "pyhost/python_host.h"
#include "scene/applied_links.h"
#include "ui/main_window.h"
#include "ui/tool_tip.h"

namespace trembla::ext {

using py::PyRef;

namespace {

// A clip as list_clips lists it.
struct ListedClip {
    std::string name;
    long long frames = 0;
    double frame_rate = 0;
    std::string source;
    std::string date;
    std::string file;  // empty for a built-in profile
};

std::string member_text(const PresetJson& entry, const char* name) {
    const auto found = entry.find(name);
    return found != entry.end() && found->is_string() ? found->get<std::string>() : std::string();
}

double member_number(const PresetJson& entry, const char* name) {
    const auto found = entry.find(name);
    return found != entry.end() && found->is_number() ? found->get<double>() : 0.0;
}

std::vector<ListedClip> listed_clips(PyObject* module) {
    PyRef listed = py::checked(PyObject_CallMethod(module, const_cast<char*>("list_clips"), nullptr));
    const PresetJson entries = json_from_python(listed.get(), "list_clips()");
    std::vector<ListedClip> clips;
    if (!entries.is_array()) return clips;
    for (const PresetJson& entry : entries) {
        if (!entry.is_object()) continue;
        clips.push_back({member_text(entry, "name"), static_cast<long long>(member_number(entry, "frames")),
                         member_number(entry, "frame_rate"), member_text(entry, "source"), member_text(entry, "date"),
                         member_text(entry, "file")});
    }
    return clips;
}

std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// "Handheld take 3 — 240 fr @ 24 fps, from shaker1"; a built-in profile says so.
std::string entry_text(const ListedClip& clip) {
    const std::string origin = clip.file.empty() ? "built-in profile" : "from " + clip.source;
    return clip.name + " \xE2\x80\x94 " + std::to_string(clip.frames) + " fr @ " + number_text(clip.frame_rate) +
           " fps, " + origin;
}

// The entry's text, when it was saved, and a shared clip's file.
std::string entry_tip(const ListedClip& clip, const std::string& user_file) {
    std::string tip = entry_text(clip);
    if (!clip.date.empty()) tip += ", saved " + clip.date;
    if (!clip.file.empty() && clip.file != user_file) tip += "\nShared from " + clip.file;
    return tip + ".";
}

// The whole frame of a playback bound, or nothing where the prepare would refuse it.
std::optional<Frame> bound_frame(double bound) {
    if (!std::isfinite(bound) || std::fabs(bound) >= 1e15) return std::nullopt;
    return static_cast<Frame>(std::trunc(bound));
}

void choose_clip_command(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Update,
                       [module](WindowCommand& command) { show_clip_before_prepare(module, command); });
}

void refresh_clip_list(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Presets,
                       [module](WindowCommand& command) { fill_clip_list(module, command); });
}

// Saves the prepared shake of an object under a name the user gives, then offers it as the source.
void save_clip_command(PyObject* module, TremblaToolWindow& target) {
    run_window_command(module, target, CommandKind::Scene, [module](WindowCommand& command) {
        py::PythonHost host = host_for(module);
        const PreparedRecord record = current_prepared(module);
        if (!record->ready || record->clip) {
            host.warning("Save Clip needs a shake prepared from an object: prepare one first.");
            return;
        }
        const std::optional<std::string> name = ask_name(module, command, "Save Clip", "Clip name:");
        if (!name) return;
        if (name->find_first_not_of(" \t") == std::string::npos) {
            host.warning("Please enter a clip name.");
            return;
        }
        if (command.window()._by_own_control) {
            const std::string user_file = clip_file_path_for_store(module);
            for (const ListedClip& clip : listed_clips(module)) {
                if (clip.name == *name && clip.file == user_file &&
                    ask_user(module, command, "Clip '" + *name + "' exists. Replace it?") != Answer::yes) {
                    return;
                }
            }
        }
        PyRef saved = py::checked(
            PyObject_CallMethod(module, const_cast<char*>("save_clip"), const_cast<char*>("s"), name->c_str()));
        const int ok = PyObject_IsTrue(saved.get());
        if (ok < 0) py::throw_python_error();
        if (ok == 0) return;  // save_clip warned why
        TremblaToolWindow& window = command.window();
        window._source_clip = *name;
        window._clip_offset = 0;
        fill_clip_list(module, command);
        host.in_view_message("Clip '" + *name + "' saved!");
    });
}

}  // namespace

void fill_clip_list(PyObject* module, WindowCommand& command) {
    const std::vector<ListedClip> clips = listed_clips(module);
    const std::string user_file = clip_file_path_for_store(module);
    TremblaToolWindow& window = command.window();
    {
        const QSignalBlocker blocker(window.clip_combo);
        while (window.clip_combo->count() > 1) window.clip_combo->removeItem(window.clip_combo->count() - 1);
        for (const ListedClip& clip : clips) {
            window.clip_combo->addItem(qstring_of(entry_text(clip)), qstring_of(clip.name));
            const int index = window.clip_combo->count() - 1;
            window.clip_combo->setItemData(index, static_cast<int>(clip.frames), TremblaToolWindow::kClipFramesRole);
            window.clip_combo->setItemData(index, wrapped_tip(qstring_of(entry_tip(clip, user_file))), Qt::ToolTipRole);
        }
    }
    window._show_source_choice();
}

void show_clip_before_prepare(PyObject* module, WindowCommand& command) {
    if (current_prepared(module)->ready) return;  // the preview shows the shake on the camera
    const std::string name = command.window()._source_clip;
    const Frame offset = command.window()._clip_offset;
    if (name.empty()) {
        command.window().shake_preview->clear();
        return;
    }
    py::PythonHost host = host_for(module);
    const std::optional<ShakeClip> clip = find_clip_by_name(module, host, name);
    const std::optional<Frame> first = bound_frame(host.playback_min());
    const std::optional<Frame> last = bound_frame(host.playback_max());
    const double frame_rate = host.frame_rate();
    QString hint;
    std::optional<ShakePreviewData> data;
    if (!clip) {
        hint = qstring_of("Clip " + shown_name(name) + " is not in the clip files.");
    } else if (!first || !last || *last < *first || *last - *first >= kMaxSampledFrames) {
        hint = QStringLiteral("Set a playback range to preview the clip over it.");
    } else {
        data = preview_of_clip(*clip, frame_rate, *first, *last, offset);
    }
    TremblaToolWindow& window = command.window();
    if (data) {
        window.shake_preview->set_data(std::move(*data));
    } else {
        window.shake_preview->show_hint(hint);
    }
}

void install_clip_commands(WindowContext& context, PyObject* module) {
    context.save_clip = [module](TremblaToolWindow& w) { save_clip_command(module, w); };
    context.refresh_clip_list = [module](TremblaToolWindow& w) { refresh_clip_list(module, w); };
    context.choose_clip = [module](TremblaToolWindow& w) { choose_clip_command(module, w); };
}

}  // namespace trembla::ext
