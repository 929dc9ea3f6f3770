// `_prepared` as Python sees it: a read-only mapping over the module's shared preparation record.
// Members are converted to Python values on every access, so the view always shows the record's
// current contents. A record, once shown, is never changed in place: writers install a new one.
#pragma once

#include <memory>

#include "pyhost/py_ref.h"
#include "scene/prepared.h"

namespace trembla::ext {

// Readies the view's type; part of module loading, before any view is made.
void register_prepared_view(PyObject* module);

// A new view over `record`.
py::PyRef make_prepared_view(std::shared_ptr<const Prepared> record);

// The record behind a view, or nullptr when `obj` is not one.
std::shared_ptr<const Prepared> prepared_of(PyObject* obj);

// Makes `view` show `next`, provided it still shows `expected`; false (and nothing changed) when
// something installed another record meanwhile, or `view` is not a view.
bool replace_prepared_of(PyObject* view, const std::shared_ptr<const Prepared>& expected,
                         std::shared_ptr<const Prepared> next);

}  // namespace trembla::ext
