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
#include "presets/shared_presets.h"
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

// True when `file` is one of the shared clip files, however it is spelled.
bool shared_clip_file(PyObject* module, const std::string& user_file, const std::string& file) {
    for (const std::string& shared : shared_clip_files_of(module, user_file)) {
        if (same_file(file, shared)) return true;
    }
    return false;
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

// save_clip(name, path=None, source=None): the prepared shake's displacements, before lag, at the
// scene's frame rate, under `name` in the user's clip file or the clip file at `path` (a clip of that
// name is replaced). A shared clip file is read-only: the tool never writes it.
PyObject* py_save_clip(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<3>("save_clip", args, kwargs, {"name", "path", "source"}, 1);
        const std::string name = text_arg(a[0].get(), "name");
        if (name.empty()) throw std::invalid_argument("save_clip: name must not be empty");
        const bool given_path = a[1] && a[1].get() != Py_None;
        const std::string user_file = clip_file_path_for_store(module);
        const std::string file = given_path ? store_path_of(a[1].get()) : user_file;
        const std::optional<std::string> given_source =
            a[2] && a[2].get() != Py_None ? std::optional<std::string>(text_arg(a[2].get(), "source")) : std::nullopt;
        py::PythonHost host = host_for(module);
        if (given_path && shared_clip_file(module, user_file, file)) {
            host.warning("Cannot save into " + file + ": it is a shared clip file, read-only here.");
            Py_RETURN_FALSE;
        }
        const std::optional<Prepared> record = prepared_with_samples(module, host);
        if (!record) Py_RETURN_FALSE;
        // A shake that plays a clip is saved as played: its origin is that clip.
        const std::string origin = given_source   ? *given_source
                                   : record->clip ? record->clip->name
                                                  : record->source.value_or(std::string());
        const ShakeClip clip = clip_from_displacements(record->delta_data, record->start_frame, record->end_frame,
                                                       host.frame_rate(), origin, utc_now());
        const SavedClips saved = update_clips(file, [&](PresetJson& clips) {
            clips[name] = clip_record(clip);
            return true;
        });
        for (const std::string& warning : saved.warnings) host.warning(warning);
        if (!saved.ok) Py_RETURN_FALSE;
        host.print_line("Clip " + shown_name(name) + " saved: " + std::to_string(clip.length()) + " frames.");
        Py_RETURN_TRUE;
    });
}

std::string count_text(std::size_t count) { return std::to_string(count) + (count == 1 ? " clip" : " clips"); }

// import_clips(path): the clips of a clip file put into the user's, replacing clips of the same
// name, as a script's preset import does. A file that is not a usable clip file imports nothing.
PyObject* py_import_clips(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("import_clips", args, kwargs, {"path"});
        const std::string file = store_path_of(a[0].get());
        py::PythonHost host = host_for(module);
        const LoadedClips incoming = load_clips(file);
        if (incoming.status != PresetFileStatus::loaded) {
            host.warning(incoming.warning ? *incoming.warning : "No clip file at " + file + ".");
            host.warning("Failed to import clips.");
            Py_RETURN_FALSE;
        }
        int changed = 0;
        const SavedClips saved = update_clips(clip_file_path_for_store(module), [&](PresetJson& clips) {
            changed = merge_presets(clips, incoming.clips, true);
            return changed > 0;
        });
        for (const std::string& warning : saved.warnings) host.warning(warning);
        if (!saved.ok) {
            host.warning("Failed to import clips.");
            Py_RETURN_FALSE;
        }
        const std::string count = count_text(static_cast<std::size_t>(changed));
        host.in_view_message("Imported " + count + ".");
        host.print_line("Clips imported: " + count + " from " + file);
        Py_RETURN_TRUE;
    });
}

// The names export_clips(names=...) is given: a sequence of texts.
std::vector<std::string> names_arg(PyObject* names) {
    if (py::is_text_or_bytes(names) || !PySequence_Check(names)) {
        throw ArgumentTypeError("export_clips: names must be a sequence of clip names or None");
    }
    PyRef items = py::checked(PySequence_Tuple(names));
    std::vector<std::string> result;
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(items.get()); ++i) {
        result.push_back(text_arg(PyTuple_GET_ITEM(items.get(), i), "names[" + std::to_string(i) + "]"));
    }
    return result;
}

// export_clips(path, names=None): the clips named (by default every clip of the user's and the
// shared clip files, as the list offers them) written to a clip file of their own. A built-in
// profile named is written as the clip its seed makes.
PyObject* py_export_clips(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<2>("export_clips", args, kwargs, {"path", "names"}, 1);
        const std::string file = store_path_of(a[0].get());
        std::optional<std::vector<std::string>> names;
        if (a[1] && a[1].get() != Py_None) names = names_arg(a[1].get());
        py::PythonHost host = host_for(module);
        // By the file, not the spelling: a link, a linked folder, ".." or a hard link to a file the
        // tool reads its clips from would otherwise replace it whole.
        const std::string user_file = clip_file_path_for_store(module);
        if (same_file(file, user_file) || shared_clip_file(module, user_file, file)) {
            host.warning("Cannot export into " + file + ": the tool reads its clips from there.");
            Py_RETURN_FALSE;
        }
        PresetJson chosen = PresetJson::object();
        if (!names) {
            std::vector<std::string> files{user_file};
            for (std::string& shared : shared_clip_files_of(module, user_file)) files.push_back(std::move(shared));
            for (const std::string& each : files) {
                const LoadedClips loaded = load_clips(each);
                if (loaded.warning) host.warning(*loaded.warning);
                for (const auto& [name, record] : loaded.clips.items()) {
                    if (!chosen.contains(name)) chosen[name] = record;
                }
            }
        } else {
            for (const std::string& name : *names) {
                if (std::optional<ShakeClip> clip = find_clip_by_name(module, host, name)) {
                    chosen[name] = clip_record(*clip);
                } else {
                    host.warning("Clip " + shown_name(name) + " not found in the clip files.");
                }
            }
        }
        if (chosen.empty()) {
            host.warning("No clips to export.");
            Py_RETURN_FALSE;
        }
        // A file there that is not a usable clip file is kept as a numbered copy first.
        const SavedClips saved = save_clips(file, chosen, ExistingPresetFile::back_up_if_unusable);
        for (const std::string& warning : saved.warnings) host.warning(warning);
        if (!saved.ok) {
            host.warning("Failed to export clips.");
            Py_RETURN_FALSE;
        }
        const std::string count = count_text(chosen.size());
        host.in_view_message("Exported " + count + ".");
        host.print_line("Clips exported: " + count + " to " + file);
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
     "save_clip(name, path=None, source=None) -> bool\n\n"
     "Saves the prepared shake's displacements (before lag) over its range, at the scene's frame\n"
     "rate, with its source (or `source`) and the date, as the clip `name` in the user's clip file\n"
     "(or the clip file at `path`; never a shared one). False, with a warning, when nothing is\n"
     "prepared or the file cannot be written."},
    {"import_clips", TREMBLA_KEYWORDS_FUNCTION(py_import_clips), METH_VARARGS | METH_KEYWORDS,
     "import_clips(path) -> bool\n\n"
     "Puts the clips of the clip file at `path` into the user's clip file, replacing clips of the\n"
     "same name. False, with a warning, when `path` is not a usable clip file or the user's file\n"
     "cannot be written."},
    {"export_clips", TREMBLA_KEYWORDS_FUNCTION(py_export_clips), METH_VARARGS | METH_KEYWORDS,
     "export_clips(path, names=None) -> bool\n\n"
     "Writes the clips named (default: every clip of the user's and the shared clip files; a\n"
     "built-in profile only when named) to a clip file of their own at `path`. Refuses the user's\n"
     "clip file and the shared ones; a file there that is not a usable clip file is kept as a\n"
     "numbered .bak copy."},
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
