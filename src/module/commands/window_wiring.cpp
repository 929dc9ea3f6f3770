#include "module/commands/window_wiring.h"

#include "module/binding/error_report.h"
#include "module/commands/clip_commands.h"
#include "module/commands/dock_commands.h"
#include "module/commands/preset_commands.h"
#include "module/commands/scene_commands.h"
#include "module/functions/main_window_access.h"

namespace trembla::ext {

WindowContext make_window_context(PyObject* module) {
    WindowContext context;
    context.report_error = [module](const std::exception_ptr& error) { report_handler_error(module, error); };
    context.host_main_window = [module] { return host_main_window_widget(module); };
    install_scene_commands(context, module);
    install_preset_commands(context, module);
    install_dock_commands(context, module);
    install_clip_commands(context, module);
    return context;
}

}  // namespace trembla::ext
