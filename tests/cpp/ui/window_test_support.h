// Helpers shared by the window tests: a context that counts command calls, and synthetic mouse events.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>

#include "ui/main_window.h"

namespace trembla::test {

struct CommandCounts {
    std::map<std::string, int> calls;
    std::vector<QListWidgetItem*> loaded_items;
    int operator[](const std::string& name) const {
        const auto found = calls.find(name);
        return found == calls.end() ? 0 : found->second;
    }
};

// Every command of the context counts its calls under its own name.
inline WindowContext counting_context(const std::shared_ptr<CommandCounts>& counts) {
    WindowContext context;
    const auto counter = [counts](const char* name) {
        return [counts, name](TremblaToolWindow&, auto&&...) { ++counts->calls[name]; };
    };
    context.prepare_shake = counter("prepare_shake");
    context.update_shake = counter("update_shake");
    context.reset_camera = counter("reset_camera");
    context.bake_to_layer = counter("bake_to_layer");
    context.set_camera = counter("set_camera");
    context.set_source = counter("set_source");
    context.save_preset = counter("save_preset");
    context.delete_selected_preset = counter("delete_selected_preset");
    context.refresh_preset_list = counter("refresh_preset_list");
    context.toggle_bypass = counter("toggle_bypass");
    context.commit_ranges = counter("commit_ranges");
    context.import_presets = counter("import_presets");
    context.export_presets = counter("export_presets");
    context.offer_preset_copy = counter("offer_preset_copy");
    context.save_clip = counter("save_clip");
    context.refresh_clip_list = counter("refresh_clip_list");
    context.choose_clip = counter("choose_clip");
    context.load_selected_preset = [counts](TremblaToolWindow&, QListWidgetItem* item) {
        ++counts->calls["load_selected_preset"];
        counts->loaded_items.push_back(item);
    };
    return context;
}

inline void send_mouse(QWidget* target, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
                       Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace trembla::test
