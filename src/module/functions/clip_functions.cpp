// The clip file for scripts and the window: a prepared shake saved as a clip under a name, and a
// clip found by name to prepare from. Like the preset functions these never raise for a problem
// with the file itself: they warn through the host and answer False or nothing.
#include "module/functions/clip_functions.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/shake_profiles.h"
#include "module/binding/arguments.h"
#include "module/binding/errors.h"
#include "module/binding/py_json.h"
#include "module/binding/readers.h"
#include "module/functions/preset_functions.h"
#include "module/registry.h"
#include "module/state.h"
#include "presets/clip_file.h"
#include "presets/file_identity.h"
#include "scene/applied_links.h"

namespace trembla::ext {

using py::PyRef;

namespace {

// Now in UTC, as a clip's date is written ("2026-12-09T13:20:00Z").
std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// The shared clip files: a clip file in each TREMBLA_PRESET_PATH folder, leaving out the user's
// own, however a folder names it.
std::vector<std::string> shared_clip_files_of(PyObject* module, const std::string& user_file) {
    std::vector<std::string> files;
    for (const SharedPresetFile& shared : shared_preset_files(preset_file_path_for_store(module))) {
        std::string path = clip_file_path(shared.folder);
        if (!same_file(path, user_file)) files.push_back(std::move(path));
    }
    return files;
}

// The displacements of the current preparation over its range: read again for a taken-up shake.
// Nothing, after one warning, when nothing is prepared or the samples cannot be read.
std::optional<Prepared> prepared_with_samples(PyObject* module, Host& host) {
    const PreparedRecord current = current_prepared(module);
    if (!current->ready) {
        host.warning("Please prepare shake first.");
        return std::nullopt;
    }
    Prepared record = *current;
    if (record.samples_pending && !read_pending_samples(host, record, clip_lookup(module, host))) {
        host.warning("The shake on " + shown_name(record.camera.value_or(std::string())) +
                     " cannot be read again (its source or clip is gone or changed): no clip saved.");
        return std::nullopt;
    }
    return record;
}

// list_clips(): every clip the clip list offers, in its order: the user's file, the shared files
// (the first holder of a name wins), then the built-in profiles under names no file holds.
PyObject* py_list_clips(PyObject* module, PyObject*) {
    return guarded([&] {
        py::PythonHost host = host_for(module);
        const std::string user_file = clip_file_path_for_store(module);
        std::vector<std::string> files{user_file};
        for (std::string& shared : shared_clip_files_of(module, user_file)) files.push_back(std::move(shared));
        PresetJson listed = PresetJson::array();
        std::vector<std::string> taken;
        const auto add = [&](const std::string& name, const ShakeClip& clip, const std::string& origin) {
            if (std::find(taken.begin(), taken.end(), name) != taken.end()) return;
            taken.push_back(name);
            listed.push_back({{"name", name},
                              {"frames", clip.length()},
                              {"frame_rate", clip.frame_rate},
                              {"source", clip.source},
                              {"date", clip.date},
                              {"file", origin}});
        };
        for (const std::string& file : files) {
            const LoadedClips loaded = load_clips(file);
            if (loaded.warning) host.warning(*loaded.warning);
            for (const auto& [name, record] : loaded.clips.items()) {
                if (std::optional<ShakeClip> clip = clip_from_record(record)) add(name, *clip, file);
            }
        }
        for (const std::string& name : profile_names()) add(name, *profile_clip(name), std::string());
        return python_from_json(listed).release();
    });
}

PyObject* py_get_clip_file_path(PyObject* module, PyObject*) {
    return guarded([&] {
        PyRef directory = script_directory(module);
        return py::checked(py::text(clip_file_path(store_path_of(directory.get())))).release();
    });
}

// save_clip(name): the prepared shake's displacements, before lag, at the scene's frame rate,
// under `name` in the user's clip file (a clip of that name is replaced).
PyObject* py_save_clip(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("save_clip", args, kwargs, {"name"});
        const std::string name = text_arg(a[0].get(), "name");
        if (name.empty()) throw std::invalid_argument("save_clip: name must not be empty");
        py::PythonHost host = host_for(module);
        const std::optional<Prepared> record = prepared_with_samples(module, host);
        if (!record) Py_RETURN_FALSE;
        // A shake that plays a clip is saved as played: its origin is that clip.
        const std::string origin = record->clip ? record->clip->name : record->source.value_or(std::string());
        const ShakeClip clip = clip_from_displacements(record->delta_data, record->start_frame, record->end_frame,
                                                       host.frame_rate(), origin, utc_now());
        const SavedClips saved = update_clips(clip_file_path_for_store(module), [&](PresetJson& clips) {
            clips[name] = clip_record(clip);
            return true;
        });
        for (const std::string& warning : saved.warnings) host.warning(warning);
        if (!saved.ok) Py_RETURN_FALSE;
        host.print_line("Clip " + shown_name(name) + " saved: " + std::to_string(clip.length()) + " frames.");
        Py_RETURN_TRUE;
    });
}

PyMethodDef kClipFunctions[] = {
    {"get_clip_file_path", py_get_clip_file_path, METH_NOARGS,
     "get_clip_file_path()\n\n"
     "Returns the path of the user's clip file, beside the preset file."},
    {"list_clips", py_list_clips, METH_NOARGS,
     "list_clips() -> [{name, frames, frame_rate, source, date, file}, ...]\n\n"
     "The clips a shake can play, in list order: the user's clip file, the shared clip files of\n"
     "TREMBLA_PRESET_PATH (the first holder of a name wins), then the built-in profiles (file '')\n"
     "under names no file holds."},
    {"save_clip", TREMBLA_KEYWORDS_FUNCTION(py_save_clip), METH_VARARGS | METH_KEYWORDS,
     "save_clip(name) -> bool\n\n"
     "Saves the prepared shake's displacements (before lag) over its range, at the scene's frame\n"
     "rate, with its source and the date, as the clip `name` in the user's clip file. False, with\n"
     "a warning, when nothing is prepared or the file cannot be written."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_clip_functions(PyObject* module) { add_functions(module, kClipFunctions); }

std::string clip_file_path_for_store(PyObject* module) {
    PyRef directory = script_directory(module);
    return clip_file_path(store_path_of(directory.get()));
}

std::optional<ShakeClip> find_clip_by_name(PyObject* module, Host& host, const std::string& name) {
    const std::string user_file = clip_file_path_for_store(module);
    std::vector<std::string> warnings;
    std::optional<FoundClip> found = find_clip(name, user_file, shared_clip_files_of(module, user_file), warnings);
    for (const std::string& warning : warnings) host.warning(warning);
    // A built-in profile is played under its name unless a clip file holds that name.
    if (!found) return profile_clip(name);
    return std::move(found->clip);
}

ClipLookup clip_lookup(PyObject* module, Host& host) {
    return [module, &host](const std::string& name) { return find_clip_by_name(module, host, name); };
}

}  // namespace trembla::ext
