#include "scene/lock_check.h"

#include "core/records.h"

namespace trembla {

std::vector<std::string> switched_on_channels(const ControlValues& controls) {
    std::vector<std::string> channels;
    for (const char* channel : kChannels) {
        if (is_translate_channel(channel) ? controls.translate_enabled : controls.rotate_enabled) {
            channels.emplace_back(channel);
        }
    }
    return channels;
}

std::vector<std::string> every_channel() { return {kChannels.begin(), kChannels.end()}; }

bool refuse_locked(Host& host, const std::string& action, const std::string& camera,
                   const std::vector<std::string>& channels) {
    std::vector<std::string> locked;
    if (host.node_locked(camera)) locked.push_back(camera + " (node)");
    for (const std::string& channel : channels) {
        const std::string plug = camera + "." + channel;
        if (host.plug_locked(plug)) locked.push_back(plug);
    }
    if (locked.empty()) return false;
    std::string names;
    for (const std::string& each : locked) names += (names.empty() ? "" : ", ") + each;
    host.warning("Cannot " + action + " " + camera + ": locked: " + names + ". Unlock them first.");
    return true;
}

}  // namespace trembla
