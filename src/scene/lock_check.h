// Locked channels and nodes: pipelines lock published cameras, and the host refuses to connect,
// disconnect, set or key a locked plug, and to add or remove a locked node's attributes. Each
// command asks before its first change, so that a lock refuses it whole instead of halfway.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "scene/host.h"

namespace trembla {

// The channels the controls switch on, in channel order: what a prepare or an update keys.
std::vector<std::string> switched_on_channels(const ControlValues& controls);

// All six channels: what a reset or a bake gives back, whatever the switches say.
std::vector<std::string> every_channel();

// Whether `camera` itself or one of its `channels` is locked. If so the host warns once,
// "Cannot <action> <camera>: locked: <camera>.<channel>, ... Unlock them first.", the node first
// when it is locked, and nothing is changed.
bool refuse_locked(Host& host, const std::string& action, const std::string& camera,
                   const std::vector<std::string>& channels);

}  // namespace trembla
