#include "module/binding/qt_values.h"

#include <climits>
#include <cstdint>

#include "module/binding/errors.h"
#include "module/binding/readers.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

std::string utf8_of(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString qstring_of(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())); }

PyRef qstring_to_python(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return checked(py::text(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
}

QString qstring_arg(PyObject* obj, const std::string& name) { return qstring_of(text_arg(obj, name)); }

PyRef bool_to_python(bool value) { return PyRef::borrow(value ? Py_True : Py_False); }

PyRef int_to_python(int value) { return checked(py::integer(value)); }

int int_arg(PyObject* obj, const std::string& name) {
    if (!py::is_int(obj)) {
        throw ArgumentTypeError(name + " must be an int, not " + Py_TYPE(obj)->tp_name);
    }
    std::int64_t value = 0;
    bool overflow = false;
    if (!py::int_to_i64(obj, value, overflow) && !overflow) {
        py::throw_python_error();
    }
    if (overflow || value < INT_MIN || value > INT_MAX) {
        PyErr_Format(PyExc_OverflowError, "%s does not fit a C int", name.c_str());
        py::throw_python_error();
    }
    return static_cast<int>(value);
}

PyRef variant_to_python(const QVariant& value) {
    if (!value.isValid()) {
        return PyRef::borrow(Py_None);
    }
    switch (value.userType()) {
        case QMetaType::Bool:
            return bool_to_python(value.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
            return checked(py::integer(value.toLongLong()));
        case QMetaType::Double:
        case QMetaType::Float:
            return checked(PyFloat_FromDouble(value.toDouble()));
        default:
            break;
    }
    if (value.canConvert<QString>()) {
        return qstring_to_python(value.toString());
    }
    return PyRef::borrow(Py_None);
}

}  // namespace trembla::ext
