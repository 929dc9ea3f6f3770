// The window in the host's workspace: the dock button moves the same window into a
// `workspaceControl` and back, and the control's uiScript builds a docked window again when the
// host restores its workspace in a new session.
#pragma once

#include "pyhost/py_compat.h"
#include "ui/window_context.h"

class QWidget;

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

// The workspace control's name (the window's object name + "WorkspaceControl") and the Python its
// uiScript runs.
extern const char* const kDockControlName;
extern const char* const kDockRestoreScript;

// Fills the context's toggle_dock and close_dock.
void install_dock_commands(WindowContext& context, PyObject* module);

// The window the dock command is moving right now, if any: a uiScript the host runs while making
// the control puts that window into it rather than building another.
TremblaToolWindow* window_being_docked();

// The control's container widget (maya.OpenMayaUI.MQtUtil.findControl); throws when the host
// answers none or a pointer that is not one of this application's widgets.
QWidget* dock_container(PyObject* module);

}  // namespace trembla::ext
