// Reading the window's controls into the record the scene commands and the preset file share.
#pragma once

#include "core/settings.h"

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

// The controls as they are at the moment a command runs; nothing is cached between commands.
// Reads in preset-file order and changes nothing, so any command may take a snapshot.
ShakeControls read_controls(const TremblaToolWindow& window);

}  // namespace trembla::ext
