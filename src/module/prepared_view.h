// `_prepared` as Python sees it: a read-only mapping over the module's shared preparation record.
// Members are converted to Python values on every access, so the view always shows the record's
// current contents; the scene workflow writes the record itself, in C++.
#pragma once

#include <memory>

#include "scene/prepared.h"
#include "scene/py_ref.h"

namespace trembla::ext {

// Readies the view's type; part of module loading, before any view is made.
void register_prepared_view(PyObject* module);

// A new view over `record`.
py::PyRef make_prepared_view(std::shared_ptr<Prepared> record);

// The record behind a view, or nullptr when `obj` is not one.
std::shared_ptr<Prepared> prepared_of(PyObject* obj);

}  // namespace trembla::ext
