// Choosing the camera and the source from the host's selection.
#include "scene/workflow.h"

#include "scene/host.h"

namespace trembla {

std::optional<std::string> set_camera(Host& host) {
    const std::vector<std::string> selection = host.selected_transforms();
    if (selection.empty()) {
        host.warning("Nothing selected.");
        return std::nullopt;
    }
    if (!host.has_camera_shape(selection.front())) {
        host.warning("Selected object is not a camera.");
        return std::nullopt;
    }
    return selection.front();
}

std::optional<std::string> set_source(Host& host) {
    const std::vector<std::string> selection = host.selected_transforms();
    if (selection.empty()) {
        host.warning("Nothing selected.");
        return std::nullopt;
    }
    return selection.front();
}

}  // namespace trembla
