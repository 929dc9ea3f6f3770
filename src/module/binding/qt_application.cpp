#include "module/binding/qt_application.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include <QApplication>

namespace trembla::ext {

namespace {

// Without a platform to open, QApplication's constructor calls qFatal and takes the host with it;
// a Python error is kinder. Windows and macOS always have their native platform.
void require_platform() {
#if !defined(_WIN32) && !defined(__APPLE__)
    const bool has_platform = std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
                              std::getenv("WAYLAND_DISPLAY") != nullptr;
    if (!has_platform) {
        throw std::runtime_error(
            "no display to open the window on (set DISPLAY, or QT_QPA_PLATFORM=offscreen to run without one)");
    }
#endif
}

}  // namespace

void ensure_qapplication() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(existing) == nullptr) {
            throw std::runtime_error("a Qt application without widgets is running; the window needs a QApplication");
        }
        return;
    }
    require_platform();
    // Qt keeps argc and argv by reference for the application's whole life.
    static int argc = 1;
    static char program_name[] = "trembla_tool";
    static char* argv[] = {program_name, nullptr};
    new QApplication(argc, argv);  // never deleted: windows and the host may use it to the very end
}

QWidget* application_widget_at(std::uintptr_t address) {
    const QList<QWidget*> widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (reinterpret_cast<std::uintptr_t>(widget) == address) {
            return widget;
        }
    }
    std::ostringstream message;
    message << "no widget of this application at address 0x" << std::hex << address;
    throw std::runtime_error(message.str());
}

}  // namespace trembla::ext
