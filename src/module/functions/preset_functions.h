// Module functions of the preset file: get_script_directory, get_preset_file_path,
// validate_preset_data, load_presets, save_presets. The helpers below are the same operations for
// the window's preset commands, which work on the file's JSON directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "presets/preset_store.h"
#include "pyhost/py_ref.h"
#include "scene/host.h"

namespace trembla::ext {

void register_preset_functions(PyObject* module);

// The directory of the module's file (sys.modules[module.__name__].__file__), or the host's user
// script directory without trailing "/" when the module has no file path. Errors of either lookup
// propagate (as PythonError).
py::PyRef script_directory(PyObject* module);

// The preset file's path as Python text (os.path.join of the directory and the file name).
py::PyRef preset_file_path_text(PyObject* module);

// The same path as the store's file functions take it: the bytes the system sees on POSIX,
// UTF-8 on Windows.
std::string preset_file_path_for_store(PyObject* module);

// A path from Python (str, or bytes on Python 2) in the form the store's file functions take.
std::string store_path_of(PyObject* path);

// A shared preset file of TREMBLA_PRESET_PATH: the folder as the variable names it, and its file.
struct SharedPresetFile {
    std::string folder;
    std::string path;
};

// The shared preset files os.environ's TREMBLA_PRESET_PATH names, in order, leaving out the
// user's own file (`user_path`), however a folder names it: that one is not read-only.
std::vector<SharedPresetFile> shared_preset_files(const std::string& user_path);

// The folder of the module's file in the store's form, writable or not; nothing without a file.
std::optional<std::string> module_directory_for_store(PyObject* module);

// A load whose warning, if any, goes to the host's warning command.
LoadedPresets load_presets_warning(Host& host, const std::string& path);

// A save whose warnings go to the host's warning command, in order; true when written.
bool save_presets_warning(Host& host, const std::string& path, const PresetJson& presets, ExistingPresetFile existing);

}  // namespace trembla::ext
