// The questions and file choices of the preset commands. A script that drives the window (and
// every test) answers them through the module attribute `_dialog_hook` instead of a modal
// dialog: hook("question", text) -> "yes", "no" or "cancel"; hook("open" or "save", caption) ->
// a path, or None / "" for none; hook("name", text) -> a name, or None / "" for none. Without a hook the user answers Qt's own dialogs.
#pragma once

#include <optional>
#include <string>

#include "module/commands/window_command.h"

namespace trembla::ext {

enum class Answer { yes, no, cancel };

// Asks `text`; with_cancel adds a third choice. A box closed without a choice answers no (or
// cancel when offered).
Answer ask_user(PyObject* module, WindowCommand& command, const std::string& text, bool with_cancel = false);

// A preset file the user picks, in the store's path form: an existing one to read (save false)
// or one to write (save true). Nothing when the user picks none.
std::optional<std::string> choose_preset_file(PyObject* module, WindowCommand& command, bool save);

// A name the user types in answer to `text` (Save Clip's), as typed; nothing when the user gives
// none or cancels.
std::optional<std::string> ask_name(PyObject* module, WindowCommand& command, const std::string& title,
                                    const std::string& text);

}  // namespace trembla::ext
