// The preset file for scripts. Like the rest of the preset store these never raise for a problem
// with the file itself: they warn through the host and answer an empty or false result. Only
// finding the module's directory lets its errors through.
#include "module/functions/preset_functions.h"

#include <optional>
#include <stdexcept>

#include "module/binding/arguments.h"
#include "module/binding/errors.h"
#include "module/binding/py_json.h"
#include "module/registry.h"
#include "module/state.h"
#include "presets/file_identity.h"
#include "presets/shared_presets.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

const char* const kSaveFailed = "Trembla: Failed to save presets: ";

PyRef os_attr(const char* name) {
    PyRef os = checked(PyImport_ImportModule("os"));
    return checked(PyObject_GetAttrString(os.get(), name));
}

PyRef os_path_call(const char* function, PyObject* first, PyObject* second = nullptr) {
    PyRef callable = checked(PyObject_GetAttrString(os_attr("path").get(), function));
    return checked(PyObject_CallFunctionObjArgs(callable.get(), first, second, nullptr));
}

// A studio's read-only install (a network share, a package folder) cannot take the preset file:
// the user's own scripts folder holds it then, as it does for a module loaded without a path.
bool writable_directory(PyObject* directory) {
    PyRef access = os_attr("access");
    PyRef write_mode = os_attr("W_OK");
    PyRef answer = checked(PyObject_CallFunctionObjArgs(access.get(), directory, write_mode.get(), nullptr));
    const int writable = PyObject_IsTrue(answer.get());
    if (writable < 0) {
        py::throw_python_error();
    }
    return writable != 0;
}

// The module's __file__ when it holds a path, as getattr(module, "__file__", None) would answer.
std::optional<PyRef> module_file(PyObject* module) {
    PyRef name = module_attr(module, "__name__");
    PyObject* modules = PySys_GetObject(const_cast<char*>("modules"));  // borrowed
    if (modules == nullptr) {
        PyErr_SetString(PyExc_RuntimeError, "lost sys.modules");
        py::throw_python_error();
    }
    PyRef loaded = checked(PyObject_GetItem(modules, name.get()));
    PyRef file = PyRef::steal(PyObject_GetAttrString(loaded.get(), "__file__"));
    if (!file) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) {
            py::throw_python_error();
        }
        PyErr_Clear();
        return std::nullopt;
    }
    const int non_empty = PyObject_IsTrue(file.get());
    if (non_empty < 0) {
        py::throw_python_error();
    }
    if (non_empty == 0) {
        return std::nullopt;
    }
    return file;
}

std::string path_for_store(PyObject* path) {
#if defined(_WIN32)
    // The store's Windows side opens UTF-8 paths through the wide-character API.
#if TREMBLA_PY3
    PyRef unicode = PyRef::borrow(path);
#else
    PyRef unicode = PyUnicode_Check(path)
                        ? PyRef::borrow(path)
                        : checked(PyUnicode_FromEncodedObject(path, Py_FileSystemDefaultEncoding, "strict"));
#endif
    std::string out;
    if (!py::text_to_utf8(unicode.get(), out)) {
        py::throw_python_error();
    }
    return out;
#else
    // The bytes the system sees, as Python's own open() would pass them.
#if TREMBLA_PY3
    if (!PyUnicode_Check(path)) {
        PyErr_Format(PyExc_TypeError, "the preset file path must be str, not %.200s", Py_TYPE(path)->tp_name);
        py::throw_python_error();
    }
    PyRef bytes = checked(PyUnicode_EncodeFSDefault(path));
    return std::string(PyBytes_AS_STRING(bytes.get()), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.get())));
#else
    if (PyString_Check(path)) {
        return std::string(PyString_AS_STRING(path), static_cast<std::size_t>(PyString_GET_SIZE(path)));
    }
    if (!PyUnicode_Check(path)) {
        PyErr_Format(PyExc_TypeError, "the preset file path must be str or unicode, not %.200s",
                     Py_TYPE(path)->tp_name);
        py::throw_python_error();
    }
    const char* encoding = Py_FileSystemDefaultEncoding != nullptr ? Py_FileSystemDefaultEncoding : "utf-8";
    PyRef bytes = checked(PyUnicode_AsEncodedString(path, encoding, "strict"));
    return std::string(PyString_AS_STRING(bytes.get()), static_cast<std::size_t>(PyString_GET_SIZE(bytes.get())));
#endif
#endif
}

// The validation rule of the store, on the Python objects a script holds.
bool valid_preset_data(PyObject* data) {
    if (!PyDict_Check(data)) {
        return false;
    }
    PyRef items = checked(PyDict_Items(data));
    const Py_ssize_t count = PyList_GET_SIZE(items.get());
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* pair = PyList_GET_ITEM(items.get(), i);
        PyObject* record = PyTuple_GET_ITEM(pair, 1);
        if (!py::is_text(PyTuple_GET_ITEM(pair, 0)) || !PyDict_Check(record)) {
            return false;
        }
        PyObject* settings = PyDict_GetItemString(record, "settings");  // borrowed
        if (settings != nullptr && !PyDict_Check(settings)) {
            return false;
        }
    }
    return true;
}

// The presets as JSON, or nothing after warning that they cannot be written. Exceptions of the
// caller's own objects that are not errors (KeyboardInterrupt) are passed on.
std::optional<PresetJson> presets_json_or_warn(Host& host, PyObject* presets) {
    std::string message;
    try {
        return json_from_python(presets, "presets");
    } catch (const py::PythonError& error) {
        if (!error.matches(PyExc_Exception)) {
            throw;
        }
        message = error.what();
    } catch (const ArgumentTypeError& error) {
        message = error.what();
    } catch (const std::invalid_argument& error) {
        message = error.what();
    }
    host.warning(kSaveFailed + message);
    return std::nullopt;
}

PyObject* py_get_script_directory(PyObject* module, PyObject*) {
    return guarded([&] { return script_directory(module).release(); });
}

PyObject* py_get_preset_file_path(PyObject* module, PyObject*) {
    return guarded([&] { return preset_file_path_text(module).release(); });
}

PyObject* py_validate_preset_data(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("validate_preset_data", args, kwargs, {"data"});
        return PyBool_FromLong(valid_preset_data(a[0].get()) ? 1 : 0);
    });
}

// load_presets with dicts built straight from the file's text.
PyRef load_presets_python(Host& host, const std::string& path) {
    LoadedPresets outcome;
    PyRef data;
    std::string text;
    if (std::optional<LoadedPresets> early = read_preset_text(path, text)) {
        outcome = std::move(*early);
    } else {
        try {
            data = python_from_json_text(text);
        } catch (const PresetJson::exception& error) {
            outcome = unparsable_preset_file(error);
        }
        if (data && !valid_preset_data(data.get())) {
            data = PyRef();
            outcome = invalid_preset_file();
        }
    }
    if (outcome.warning) {
        host.warning(*outcome.warning);
    }
    return data ? std::move(data) : checked(PyDict_New());
}

PyObject* py_load_presets(PyObject* module, PyObject*) {
    return guarded([&] {
        const std::string path = preset_file_path_for_store(module);
        py::PythonHost host = host_for(module);
        return load_presets_python(host, path).release();
    });
}

PyObject* py_save_presets(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("save_presets", args, kwargs, {"presets"});
        const std::string path = preset_file_path_for_store(module);
        py::PythonHost host = host_for(module);
        const std::optional<PresetJson> presets = presets_json_or_warn(host, a[0].get());
        if (!presets) {
            Py_RETURN_FALSE;
        }
        // A script that saves over a file it could not use (a hand edit with a typo) gets the same
        // protection as the window's commands: the old file is kept beside the new one. Whether
        // it can be used is decided under the save's lock, as it is then.
        if (save_presets_warning(host, path, *presets, ExistingPresetFile::back_up_if_unusable)) {
            Py_RETURN_TRUE;
        }
        Py_RETURN_FALSE;
    });
}

PyMethodDef kPresetFunctions[] = {
    {"get_script_directory", py_get_script_directory, METH_NOARGS,
     "get_script_directory()\n\n"
     "Returns the directory of the loaded module file, or the user script directory (without\n"
     "trailing '/') when the module has no file path or its directory cannot be written."},
    {"get_preset_file_path", py_get_preset_file_path, METH_NOARGS,
     "get_preset_file_path()\n\n"
     "Returns path to presets file next to the script."},
    {"validate_preset_data", TREMBLA_KEYWORDS_FUNCTION(py_validate_preset_data), METH_VARARGS | METH_KEYWORDS,
     "validate_preset_data(data)\n\n"
     "Validates preset data structure."},
    {"load_presets", py_load_presets, METH_NOARGS,
     "load_presets()\n\n"
     "Loads presets from JSON file."},
    {"save_presets", TREMBLA_KEYWORDS_FUNCTION(py_save_presets), METH_VARARGS | METH_KEYWORDS,
     "save_presets(presets)\n\n"
     "Saves presets to JSON file."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_preset_functions(PyObject* module) { add_functions(module, kPresetFunctions); }

PyRef script_directory(PyObject* module) {
    if (std::optional<PyRef> file = module_file(module)) {
        PyRef absolute = os_path_call("abspath", file->get());
        PyRef directory = os_path_call("dirname", absolute.get());
        if (writable_directory(directory.get())) {
            return directory;
        }
    }
    py::PythonHost host = host_for(module);
    return checked(py::text(script_directory_fallback(host.user_script_dir())));
}

PyRef preset_file_path_text(PyObject* module) {
    PyRef directory = script_directory(module);
    PyRef file_name = checked(py::text(kPresetFileName));
    return os_path_call("join", directory.get(), file_name.get());
}

std::string store_path_of(PyObject* path) { return path_for_store(path); }

std::vector<SharedPresetFile> shared_preset_files(const std::string& user_path) {
    // os.environ, not getenv: a script's os.environ change is what a user expects to count, and
    // Python's copy is the one that holds it on every platform.
    PyRef environ = os_attr("environ");
    PyRef value = PyRef::steal(PyMapping_GetItemString(environ.get(), const_cast<char*>(kPresetPathVariable)));
    if (!value) {
        if (!PyErr_ExceptionMatches(PyExc_KeyError)) {
            py::throw_python_error();
        }
        PyErr_Clear();
        return {};
    }
    std::vector<SharedPresetFile> files;
    for (std::string& folder : preset_path_folders(path_for_store(value.get()))) {
        std::string path = preset_file_path(folder);
        if (!same_file(path, user_path)) {
            files.push_back({std::move(folder), std::move(path)});
        }
    }
    return files;
}

std::optional<std::string> module_directory_for_store(PyObject* module) {
    std::optional<PyRef> file = module_file(module);
    if (!file) {
        return std::nullopt;
    }
    PyRef absolute = os_path_call("abspath", file->get());
    return path_for_store(os_path_call("dirname", absolute.get()).get());
}

std::string preset_file_path_for_store(PyObject* module) { return path_for_store(preset_file_path_text(module).get()); }

LoadedPresets load_presets_warning(Host& host, const std::string& path) {
    LoadedPresets loaded = load_presets(path);
    if (loaded.warning) {
        host.warning(*loaded.warning);
    }
    return loaded;
}

bool save_presets_warning(Host& host, const std::string& path, const PresetJson& presets, ExistingPresetFile existing) {
    const SavedPresets saved = save_presets(path, presets, existing);
    for (const std::string& warning : saved.warnings) {
        host.warning(warning);
    }
    return saved.ok;
}

}  // namespace trembla::ext
