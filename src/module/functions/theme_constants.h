// The window's palette and style sheet as module constants `COLORS` and `STYLESHEET`, so that
// scripts styling their own widgets can match the tool's look.
#pragma once

#include "pyhost/py_compat.h"

namespace trembla::ext {

// Loading step: `COLORS` (a dict of colour key -> "#rrggbb" in palette order) and then `STYLESHEET`
// (the formatted sheet; a broken template fails the import here rather than at the first window).
void register_theme_constants(PyObject* module);

}  // namespace trembla::ext
