#include "module/scene_commands.h"

namespace trembla::ext {

void install_scene_commands(WindowContext& /*context*/, PyObject* /*module*/) {}

}  // namespace trembla::ext
