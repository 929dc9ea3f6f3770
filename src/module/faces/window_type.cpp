#include "module/faces/window_type.h"

#include <array>
#include <cstdint>
#include <sstream>
#include <stdexcept>

#include <QPointer>

#include "module/binding/arguments.h"
#include "module/binding/errors.h"
#include "module/binding/qt_application.h"
#include "module/binding/qt_binding.h"
#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/binding/results.h"
#include "module/commands/preset_commands.h"
#include "module/commands/window_wiring.h"
#include "module/faces/control_proxy.h"
#include "module/registry.h"
#include "pyhost/python_error.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/qt_generation.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

struct WindowObject {
    PyObject_HEAD QPointer<TremblaToolWindow>* window;  // owned by the object; the window itself is not
    PyObject* module;                                   // strong reference: the commands run over it
};

PyTypeObject g_window_type{};

// The module the type builds its windows over when called from Python. A static type has no way
// to reach its module, so registration keeps one reference to it for the life of the process.
PyObject* g_module = nullptr;

PyRef none() { return PyRef::borrow(Py_None); }

WindowObject* window_object(PyObject* self) { return reinterpret_cast<WindowObject*>(self); }

// Runs one window method: resolves the window, then body(window) -> PyRef.
template <class Body>
PyObject* on_window(PyObject* self, Body&& body) {
    return guarded([&] { return body(live_window(self)).release(); });
}

// Methods without arguments and without a result: the window's commands.
template <void (TremblaToolWindow::*command)()>
PyObject* run_command(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) {
        (window.*command)();
        return none();
    });
}

// ---- commands with arguments or results --------------------------------------------------------

// Arguments are converted before the window is looked up: converting runs the argument's own
// Python code (__index__, __bool__, a key's __eq__), which may delete or replace the window.
PyObject* window_switch_tab(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("_switch_tab", args, kwargs, {"index"});
        const int index = int_arg(a[0].get(), "index");
        live_window(self)._switch_tab(index);
        return none().release();
    });
}

PyObject* window_get_camera_mode(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return text_to_python(window._get_camera_mode()); });
}

PyObject* window_on_mode_changed(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("_on_mode_changed", args, kwargs, {"checked"});
        const bool checked = truth_arg(a[0].get());
        live_window(self)._on_mode_changed(checked);
        return none().release();
    });
}

// Signals call it with their own arguments; it ignores them all.
PyObject* window_update_shake(PyObject* self, PyObject*, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) {
        window._update_shake();
        return none();
    });
}

PyObject* window_get_current_settings(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return current_settings(window); });
}

PyObject* window_apply_settings(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("_apply_settings", args, kwargs, {"preset_data"});
        const PresetJson preset_record = preset_record_from_python(a[0].get());
        apply_settings(window_object(self)->module, live_window(self), preset_record);
        return none().release();
    });
}

PyObject* window_load_selected_preset(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        PyObject* item = Py_None;
        static const char* const kKeywords[] = {"item", nullptr};
        if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:_load_selected_preset", const_cast<char**>(kKeywords),
                                         &item)) {
            py::throw_python_error();
        }
        QListWidgetItem* entry = list_item_arg(item, "item");
        live_window(self)._load_selected_preset(entry);
        return none().release();
    });
}

// _import_presets(path=None) / _export_presets(path=None): without a path the user picks the file.
template <void (TremblaToolWindow::*command)(const QString&)>
PyObject* window_preset_file_command(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        PyObject* path = Py_None;
        static const char* const kKeywords[] = {"path", nullptr};
        if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O", const_cast<char**>(kKeywords), &path)) {
            py::throw_python_error();
        }
        const QString text = path == Py_None ? QString() : qstring_arg(path, "path");
        (live_window(self).*command)(text);
        return none().release();
    });
}

// _prepare_shake(clip=None, clip_offset=0): the clip named plays instead of the source object (None:
// the object), from clip frame clip_offset; the window keeps both for its next prepare, as a
// choice in its clip list would.
PyObject* window_prepare_shake(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<2>("_prepare_shake", args, kwargs, {"clip", "clip_offset"}, 0);
        const std::string clip = a[0] && a[0].get() != Py_None ? text_arg(a[0].get(), "clip") : std::string();
        const Frame offset = a[1] ? whole_frame_arg(a[1].get(), "clip_offset") : 0;
        TremblaToolWindow& window = live_window(self);
        window._source_clip = clip;
        window._clip_offset = offset;
        window._show_source_choice();
        window._prepare_shake();
        return none().release();
    });
}

PyObject* window_about_text(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow&) { return qstring_to_python(about_text(PYSIDE_VERSION)); });
}

// ---- what scripts use of the QDialog -----------------------------------------------------------

PyObject* window_close(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) {
        // Docked, closing only the widget would leave an empty dock: the dock closes, as from the
        // title bar.
        if (window._is_docked()) {
            const QPointer<TremblaToolWindow> alive(&window);
            window._close_from_title_bar();
            return bool_to_python(alive && !alive->isVisible());
        }
        return bool_to_python(window.close());
    });
}

PyObject* window_show(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) {
        window.show();
        return none();
    });
}

PyObject* window_is_visible(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return bool_to_python(window.isVisible()); });
}

PyObject* window_object_name(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return qstring_to_python(window.objectName()); });
}

PyObject* window_window_title(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return qstring_to_python(window.windowTitle()); });
}

PyObject* window_is_docked(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return bool_to_python(window._is_docked()); });
}

PyObject* window_width(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return int_to_python(window.width()); });
}

PyObject* window_height(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return int_to_python(window.height()); });
}

PyObject* window_minimum_height(PyObject* self, PyObject*) {
    return on_window(self, [](TremblaToolWindow& window) { return int_to_python(window.minimumHeight()); });
}

// A widget of this process as get_maya_main_window answers one: wrapped by the binding, or its
// address where the binding is missing.
PyRef widget_to_python(PyObject* module, QWidget* widget, const char* qt_class) {
    if (widget == nullptr) {
        return none();
    }
    const auto address = reinterpret_cast<std::uintptr_t>(widget);
    PyRef wrapped = wrap_address(module, address, qt_class);
    return wrapped ? wrapped : address_to_python(address);
}

PyObject* window_parent(PyObject* self, PyObject*) {
    return on_window(self, [&](TremblaToolWindow& window) {
        return widget_to_python(window_object(self)->module, window.parentWidget(), "QWidget");
    });
}

PyObject* window_pyside(PyObject* self, PyObject*) {
    return on_window(self, [&](TremblaToolWindow& window) {
        PyRef wrapped = wrap_address(window_object(self)->module, reinterpret_cast<std::uintptr_t>(&window), "QDialog");
        return wrapped ? wrapped : none();
    });
}

PyMethodDef kWindowMethods[] = {
    {"_switch_tab", TREMBLA_KEYWORDS_FUNCTION(window_switch_tab), METH_VARARGS | METH_KEYWORDS,
     "_switch_tab(index): checks tab index only and shows page index (0 setup, 1 shake, 2 advanced, 3 presets)."},
    {"_get_camera_mode", window_get_camera_mode, METH_NOARGS,
     "'static', 'animated' or 'relax', from the mode buttons."},
    {"_on_mode_changed", TREMBLA_KEYWORDS_FUNCTION(window_on_mode_changed), METH_VARARGS | METH_KEYWORDS,
     "_on_mode_changed(checked): when checked, shows the amplitude rows unless the mode is relax, then updates."},
    {"_prepare_shake", TREMBLA_KEYWORDS_FUNCTION(window_prepare_shake), METH_VARARGS | METH_KEYWORDS,
     "_prepare_shake(clip=None, clip_offset=0): samples the source over the playback range (or plays the clip\n"
     "named, from clip frame clip_offset) and applies the shake."},
    {"_update_shake", TREMBLA_KEYWORDS_FUNCTION(window_update_shake), METH_VARARGS | METH_KEYWORDS,
     "_update_shake(*args): re-applies the prepared shake with the controls' values; arguments are ignored."},
    {"_toggle_bypass", run_command<&TremblaToolWindow::_toggle_bypass>, METH_NOARGS,
     "Keys the prepared shake as the Bypass box says (amount zero while checked), as one undo step."},
    {"_reset_camera", run_command<&TremblaToolWindow::_reset_camera>, METH_NOARGS,
     "Takes the shake off the camera and gives back its recorded animation or start pose."},
    {"_bake_to_layer", run_command<&TremblaToolWindow::_bake_to_layer>, METH_NOARGS,
     "Keys the shaken camera onto a new override animation layer."},
    {"_set_camera", run_command<&TremblaToolWindow::_set_camera>, METH_NOARGS,
     "Takes the camera from the scene selection."},
    {"_set_source", run_command<&TremblaToolWindow::_set_source>, METH_NOARGS,
     "Takes the source object from the scene selection."},
    {"_get_current_settings", window_get_current_settings, METH_NOARGS, "Collect current settings into dictionary."},
    {"_apply_settings", TREMBLA_KEYWORDS_FUNCTION(window_apply_settings), METH_VARARGS | METH_KEYWORDS,
     "Apply settings from preset."},
    {"_save_preset", run_command<&TremblaToolWindow::_save_preset>, METH_NOARGS, "Save current settings as preset."},
    {"_load_selected_preset", TREMBLA_KEYWORDS_FUNCTION(window_load_selected_preset), METH_VARARGS | METH_KEYWORDS,
     "Load selected preset."},
    {"_delete_selected_preset", run_command<&TremblaToolWindow::_delete_selected_preset>, METH_NOARGS,
     "Delete selected preset."},
    {"_save_clip", run_command<&TremblaToolWindow::_save_clip>, METH_NOARGS,
     "Saves the prepared shake of an object as a clip under a name asked for, and chooses that clip."},
    {"_refresh_clip_list", run_command<&TremblaToolWindow::_refresh_clip_list>, METH_NOARGS,
     "Fills the clip list again from the clip files and the built-in profiles."},
    {"_refresh_preset_list", run_command<&TremblaToolWindow::_refresh_preset_list>, METH_NOARGS,
     "Refresh presets list."},
    {"_import_presets", TREMBLA_KEYWORDS_FUNCTION(window_preset_file_command<&TremblaToolWindow::_import_presets>),
     METH_VARARGS | METH_KEYWORDS, "Merges a preset file (path, else the one the user picks) into the presets."},
    {"_export_presets", TREMBLA_KEYWORDS_FUNCTION(window_preset_file_command<&TremblaToolWindow::_export_presets>),
     METH_VARARGS | METH_KEYWORDS, "Writes the selected presets to a preset file (path, else the user's choice)."},
    {"_offer_preset_copy", run_command<&TremblaToolWindow::_offer_preset_copy>, METH_NOARGS,
     "Offers another release's presets to a build that has none yet (once)."},
    {"_show_about", run_command<&TremblaToolWindow::_show_about>, METH_NOARGS,
     "Shows the modal about box; returns when the user closes it."},
    {"_about_text", window_about_text, METH_NOARGS, "The rich text the about box shows."},
    {"_toggle_dock", run_command<&TremblaToolWindow::_toggle_dock>, METH_NOARGS,
     "Moves the window into the host's workspace control, or out of it to float again."},
    {"_is_docked", window_is_docked, METH_NOARGS, "True while the window sits in the workspace control."},
    {"close", window_close, METH_NOARGS,
     "Closes (hides) the window; docked, it leaves the dock, which closes. True when it closed."},
    {"show", window_show, METH_NOARGS, "Shows the window, non-modal."},
    {"isVisible", window_is_visible, METH_NOARGS, "True while the window is shown."},
    {"objectName", window_object_name, METH_NOARGS, "The Qt object name, WINDOW_OBJECT."},
    {"windowTitle", window_window_title, METH_NOARGS, "The window title, WINDOW_TITLE."},
    {"width", window_width, METH_NOARGS, "Width in pixels."},
    {"height", window_height, METH_NOARGS, "Height in pixels."},
    {"minimumHeight", window_minimum_height, METH_NOARGS, "Minimum height in pixels."},
    {"parent", window_parent, METH_NOARGS,
     "The parent widget (the host main window) as get_maya_main_window answers it, or None."},
    {"pyside", window_pyside, METH_NOARGS,
     "The window as a QtWidgets.QDialog of the Qt binding, or None when the binding is not importable."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- controls as attributes ---------------------------------------------------------------------

struct ControlAttribute {
    const char* name;
    QObject* (*get)(TremblaToolWindow&);
};

template <auto member>
QObject* control_of(TremblaToolWindow& window) {
    return window.*member;
}

const ControlAttribute kControls[] = {
    {"content_stack", control_of<&TremblaToolWindow::content_stack>},
    {"prepare_btn", control_of<&TremblaToolWindow::prepare_btn>},
    {"bake_btn", control_of<&TremblaToolWindow::bake_btn>},
    {"reset_btn", control_of<&TremblaToolWindow::reset_btn>},
    {"dock_btn", control_of<&TremblaToolWindow::dock_btn>},
    {"camera_field", control_of<&TremblaToolWindow::camera_field>},
    {"source_field", control_of<&TremblaToolWindow::source_field>},
    {"clip_combo", control_of<&TremblaToolWindow::clip_combo>},
    {"clip_offset_spin", control_of<&TremblaToolWindow::clip_offset_spin>},
    {"save_clip_btn", control_of<&TremblaToolWindow::save_clip_btn>},
    {"lag_trans_slider", control_of<&TremblaToolWindow::lag_trans_slider>},
    {"lag_rot_slider", control_of<&TremblaToolWindow::lag_rot_slider>},
    {"smoothing_slider", control_of<&TremblaToolWindow::smoothing_slider>},
    {"amp_header", control_of<&TremblaToolWindow::amp_header>},
    {"amount_slider", control_of<&TremblaToolWindow::amount_slider>},
    {"trans_amp_slider", control_of<&TremblaToolWindow::trans_amp_slider>},
    {"rot_amp_slider", control_of<&TremblaToolWindow::rot_amp_slider>},
    {"ranges_field", control_of<&TremblaToolWindow::ranges_field>},
    {"fade_in_slider", control_of<&TremblaToolWindow::fade_in_slider>},
    {"fade_out_slider", control_of<&TremblaToolWindow::fade_out_slider>},
    {"speed_slider", control_of<&TremblaToolWindow::speed_slider>},
    {"mode_button_group", control_of<&TremblaToolWindow::mode_button_group>},
    {"mode_static", control_of<&TremblaToolWindow::mode_static>},
    {"mode_animated", control_of<&TremblaToolWindow::mode_animated>},
    {"mode_relax", control_of<&TremblaToolWindow::mode_relax>},
    {"bypass_cb", control_of<&TremblaToolWindow::bypass_cb>},
    {"layer_field", control_of<&TremblaToolWindow::layer_field>},
    {"shake_preview", control_of<&TremblaToolWindow::shake_preview>},
    {"translate_cb", control_of<&TremblaToolWindow::translate_cb>},
    {"rotate_cb", control_of<&TremblaToolWindow::rotate_cb>},
    {"trans_x_slider", control_of<&TremblaToolWindow::trans_x_slider>},
    {"trans_y_slider", control_of<&TremblaToolWindow::trans_y_slider>},
    {"trans_z_slider", control_of<&TremblaToolWindow::trans_z_slider>},
    {"rot_x_slider", control_of<&TremblaToolWindow::rot_x_slider>},
    {"rot_y_slider", control_of<&TremblaToolWindow::rot_y_slider>},
    {"rot_z_slider", control_of<&TremblaToolWindow::rot_z_slider>},
    {"preset_list", control_of<&TremblaToolWindow::preset_list>},
    {"preset_name_field", control_of<&TremblaToolWindow::preset_name_field>},
    {"load_btn", control_of<&TremblaToolWindow::load_btn>},
    {"delete_btn", control_of<&TremblaToolWindow::delete_btn>},
    {"save_btn", control_of<&TremblaToolWindow::save_btn>},
    {"import_btn", control_of<&TremblaToolWindow::import_btn>},
    {"export_btn", control_of<&TremblaToolWindow::export_btn>},
};
constexpr std::size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);

PyObject* get_control(PyObject* self, void* closure) {
    const auto* attribute = static_cast<const ControlAttribute*>(closure);
    return on_window(self, [&](TremblaToolWindow& window) { return control_proxy(attribute->get(window)); });
}

PyObject* get_tab_buttons(PyObject* self, void*) {
    return on_window(self, [](TremblaToolWindow& window) {
        PyRef list = checked(PyList_New(0));
        for (QPushButton* button : window.tab_buttons) {
            if (PyList_Append(list.get(), control_proxy(button).get()) < 0) {
                py::throw_python_error();
            }
        }
        return list;
    });
}

// One entry per control, then tab_buttons, then the end marker.
std::array<PyGetSetDef, kControlCount + 2> make_getsets() {
    std::array<PyGetSetDef, kControlCount + 2> getsets{};
    for (std::size_t i = 0; i < kControlCount; ++i) {
        getsets[i] = {const_cast<char*>(kControls[i].name), get_control, nullptr, nullptr,
                      const_cast<ControlAttribute*>(&kControls[i])};
    }
    getsets[kControlCount] = {const_cast<char*>("tab_buttons"), get_tab_buttons, nullptr,
                              const_cast<char*>("The four tab buttons, in tab order."), nullptr};
    return getsets;
}

std::array<PyGetSetDef, kControlCount + 2> g_window_getsets = make_getsets();

// ---- construction and the type ------------------------------------------------------------------

// The parent a script may pass: None, another tool window, or a QWidget of the Qt binding.
QWidget* parent_arg(PyObject* module, PyObject* parent) {
    if (parent == Py_None) {
        return nullptr;
    }
    if (PyObject_TypeCheck(parent, &g_window_type)) {
        return &live_window(parent);
    }
    if (const std::optional<std::uintptr_t> address = widget_address(module, parent)) {
        return application_widget_at(*address);
    }
    throw ArgumentTypeError(std::string("parent must be None, a TremblaToolWindow or a QtWidgets.QWidget, not ") +
                            Py_TYPE(parent)->tp_name);
}

PyObject* window_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        PyObject* parent = Py_None;
        static const char* const kKeywords[] = {"parent", nullptr};
        if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:TremblaToolWindow", const_cast<char**>(kKeywords),
                                         &parent)) {
            py::throw_python_error();
        }
        if (g_module == nullptr) {
            throw std::runtime_error("trembla_tool is not loaded");
        }
        return create_window(g_module, parent_arg(g_module, parent)).release();
    });
}

PyObject* window_repr(PyObject* self) {
    return guarded([&] {
        std::ostringstream text;
        text << "<trembla_tool.TremblaToolWindow ";
        QPointer<TremblaToolWindow>* window = window_object(self)->window;
        if (window == nullptr || window->isNull()) {
            text << "(deleted)>";
        } else {
            text << "'" << (*window)->objectName().toStdString() << "' at " << static_cast<void*>(window->data())
                 << ">";
        }
        return checked(py::text(text.str())).release();
    });
}

void window_dealloc(PyObject* self) {
    WindowObject* object = window_object(self);
    delete object->window;
    Py_XDECREF(object->module);
    Py_TYPE(self)->tp_free(self);
}

PyTypeObject make_window_type() {
    PyTypeObject type = static_type("trembla_tool.TremblaToolWindow", sizeof(WindowObject));
    type.tp_doc =
        "TremblaToolWindow(parent=None)\n\n"
        "The tool's window (a frameless QDialog made in C++). Without a parent it goes under the host\n"
        "main window. Building one closes any earlier window of the tool; it is not shown until\n"
        "show(). The object refers to the window without owning it: once Qt has deleted the window,\n"
        "every call raises RuntimeError. Controls are attributes by their names; pyside() gives the\n"
        "window as a QDialog of the Qt binding when that is importable.";
    type.tp_dealloc = window_dealloc;
    type.tp_repr = window_repr;
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_methods = kWindowMethods;
    type.tp_getset = g_window_getsets.data();
    type.tp_new = window_new;
    return type;
}

void set_class_constant(const char* name, const char* value) {
    PyRef text = checked(py::text(value));
    if (PyDict_SetItemString(g_window_type.tp_dict, name, text.get()) < 0) {
        py::throw_python_error();
    }
}

}  // namespace

void register_window_type(PyObject* module) {
    if (g_window_type.tp_name == nullptr) {
        g_window_type = make_window_type();
    }
    if (PyType_Ready(&g_window_type) < 0) {
        py::throw_python_error();
    }
    set_class_constant("WINDOW_TITLE", TremblaToolWindow::WINDOW_TITLE);
    set_class_constant("WINDOW_OBJECT", TremblaToolWindow::WINDOW_OBJECT);
    PyType_Modified(&g_window_type);
    set_module_attr(module, "TremblaToolWindow", reinterpret_cast<PyObject*>(&g_window_type));
    Py_INCREF(module);
    Py_XDECREF(g_module);
    g_module = module;
}

PyRef create_window(PyObject* module, QWidget* parent) {
    ensure_qapplication();
    // The object first: should it fail, no window is left behind without one.
    PyRef object = checked(g_window_type.tp_alloc(&g_window_type, 0));
    WindowObject* fields = window_object(object.get());
    Py_INCREF(module);
    fields->module = module;
    fields->window = new QPointer<TremblaToolWindow>(new TremblaToolWindow(make_window_context(module), parent));
    return object;
}

TremblaToolWindow& live_window(PyObject* window_object_ptr) {
    if (!PyObject_TypeCheck(window_object_ptr, &g_window_type)) {
        throw ArgumentTypeError(std::string("expected a TremblaToolWindow, not ") +
                                Py_TYPE(window_object_ptr)->tp_name);
    }
    QPointer<TremblaToolWindow>* window = window_object(window_object_ptr)->window;
    if (window == nullptr || window->isNull()) {
        throw std::runtime_error("The window has been deleted.");
    }
    return **window;
}

}  // namespace trembla::ext
