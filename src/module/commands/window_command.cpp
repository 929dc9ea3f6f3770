#include "module/commands/window_command.h"

#include <algorithm>
#include <vector>

#include "module/state.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

struct Running {
    const WindowCommand* command;
    QPointer<TremblaToolWindow> window;
    CommandKind kind;
};

// The commands running now, innermost last. Only the interface thread runs commands.
std::vector<Running>& running() {
    static std::vector<Running> commands;
    return commands;
}

// A preset command sets controls through their ordinary setters, and their handlers re-apply the
// shake: that update is part of the preset command, not a nested call to refuse.
bool may_enter(TremblaToolWindow* window, CommandKind kind) {
    for (const Running& other : running()) {
        if (other.window == window && !(kind == CommandKind::Update && other.kind == CommandKind::Presets)) {
            return false;
        }
    }
    return true;
}

}  // namespace

WindowCommand::WindowCommand(TremblaToolWindow& window, CommandKind kind) : window_(&window), kind_(kind) {
    if (may_enter(&window, kind)) {
        running().push_back({this, window_, kind});
        entered_ = true;
    }
}

WindowCommand::~WindowCommand() {
    if (!entered_) return;
    std::vector<Running>& commands = running();
    commands.erase(std::remove_if(commands.begin(), commands.end(),
                                  [this](const Running& entry) { return entry.command == this; }),
                   commands.end());
}

TremblaToolWindow& WindowCommand::window() const {
    if (window_.isNull()) throw WindowGone();
    return *window_;
}

void warn_busy(PyObject* module) { host_for(module).warning("Trembla: busy"); }

}  // namespace trembla::ext
