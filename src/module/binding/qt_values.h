// Python values <-> the Qt values the window's controls take and give: text, integers and the
// dynamic properties (the "class" style property).
#pragma once

#include <string>

#include <QString>
#include <QVariant>

#include "pyhost/py_ref.h"

namespace trembla::ext {

// Text between Qt and the UTF-8 the scene and the preset file use.
std::string utf8_of(const QString& text);
QString qstring_of(const std::string& utf8);

py::PyRef qstring_to_python(const QString& text);
// A str (or unicode on Python 2) argument; TypeError otherwise.
QString qstring_arg(PyObject* obj, const std::string& name);

py::PyRef bool_to_python(bool value);
py::PyRef int_to_python(int value);
// An integer argument (no floats, as Qt's int setters take none); OverflowError beyond C int.
int int_arg(PyObject* obj, const std::string& name);

// Text, numbers and booleans as the Python value; an unset property as None; anything else as its
// text when Qt can give one, else None.
py::PyRef variant_to_python(const QVariant& value);

}  // namespace trembla::ext
