// The Qt application the window needs. Inside the host one always exists; a plain interpreter
// (mayapy, tests) gets one made on first use.
#pragma once

#include <cstdint>

class QWidget;

namespace trembla::ext {

// Makes a QApplication when none exists; it lives until the process ends, as a host's does.
// std::runtime_error when a non-widget Qt application is running, or when on X11-style systems no
// display and no Qt platform is configured (Qt would abort the whole interpreter instead).
void ensure_qapplication();

// The application's widget at `address`; std::runtime_error when none is. Compares addresses only,
// never dereferences: a stale or foreign pointer handed in by a script must not crash the host.
QWidget* application_widget_at(std::uintptr_t address);

}  // namespace trembla::ext
