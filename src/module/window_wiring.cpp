#include "module/window_wiring.h"

#include "module/error_report.h"
#include "module/main_window_access.h"
#include "module/preset_commands.h"
#include "module/scene_commands.h"

namespace trembla::ext {

WindowContext make_window_context(PyObject* module) {
    WindowContext context;
    context.report_error = [module](const std::exception_ptr& error) { report_handler_error(module, error); };
    context.host_main_window = [module] { return host_main_window_widget(module); };
    install_scene_commands(context, module);
    install_preset_commands(context, module);
    return context;
}

}  // namespace trembla::ext
