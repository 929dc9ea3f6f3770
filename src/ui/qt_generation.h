// The Qt generation this build runs on, named as the Qt for Python binding of that generation would
// be (PySide2 for Qt 5, PySide6 for Qt 6); the about box shows it.
#pragma once

#include <QtGlobal>

namespace trembla {

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
inline constexpr int PYSIDE_VERSION = 6;
#else
inline constexpr int PYSIDE_VERSION = 2;
#endif

}  // namespace trembla
