// The window's control of each setting: reading them into the record the scene commands and the
// preset file share, and setting one from a preset.
#pragma once

#include <string>

#include "core/settings.h"

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

// The controls as they are at the moment a command runs; nothing is cached between commands.
// Reads in preset-file order and changes nothing, so any command may take a snapshot.
ShakeControls read_controls(const TremblaToolWindow& window);

// Sets the control of the setting named as core/settings.h names it, through the control's
// ordinary setter: its handler runs as if the user had made the change.
void set_control(TremblaToolWindow& window, const char* setting, int value);
void set_control(TremblaToolWindow& window, const char* setting, const std::string& value);
void set_control(TremblaToolWindow& window, const char* setting, bool value);
void set_control(TremblaToolWindow& window, const char* setting, CameraMode value);

// Shows a value on the setting's control with its signals blocked: no handler, no command. For a
// scene that already is as the value says (the host's undo or redo of a tool step).
void show_control(TremblaToolWindow& window, const char* setting, int value);
void show_control(TremblaToolWindow& window, const char* setting, const std::string& value);
void show_control(TremblaToolWindow& window, const char* setting, bool value);
void show_control(TremblaToolWindow& window, const char* setting, CameraMode value);

}  // namespace trembla::ext
