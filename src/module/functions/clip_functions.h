// Module functions of the clip file: get_clip_file_path, list_clips, save_clip, import_clips and
// export_clips. The helpers below find a clip by name for the window's commands, which pass it to
// the scene as the source of a shake.
#pragma once

#include <optional>
#include <string>

#include "pyhost/py_compat.h"
#include "scene/host.h"
#include "scene/take_up.h"
#include "scene/workflow.h"

namespace trembla::ext {

void register_clip_functions(PyObject* module);

// The user's clip file, beside the preset file, in the form the store's file functions take.
std::string clip_file_path_for_store(PyObject* module);

// The clip `name` as the clip list offers it: the user's file first, then the shared clip files of
// TREMBLA_PRESET_PATH in order, then the built-in profiles. The warnings of unusable files go to
// the host's warning command.
std::optional<ShakeClip> find_clip_by_name(PyObject* module, Host& host, const std::string& name);

// find_clip_by_name as the scene's take-up asks it. `module` is borrowed and `host` must outlive
// the lookup: it is for the one command that makes it.
ClipLookup clip_lookup(PyObject* module, Host& host);

}  // namespace trembla::ext
