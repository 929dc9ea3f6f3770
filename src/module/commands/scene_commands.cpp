#include "module/commands/scene_commands.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include "core/camera_mode.h"
#include "core/ranges.h"
#include "module/binding/error_report.h"
#include "module/commands/clip_commands.h"
#include "module/commands/fade_overlap.h"
#include "module/commands/progress_timing.h"
#include "module/commands/shake_preview_feed.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/commands/window_follow.h"
#include "module/functions/clip_functions.h"
#include "module/registry.h"
#include "module/state.h"
#include "pyhost/python_error.h"
#include "pyhost/python_host.h"
#include "scene/applied_links.h"
#include "scene/own_keys.h"
#include "scene/prepared.h"
#include "scene/take_up.h"
#include "scene/undo_chunk.h"
#include "scene/workflow.h"
#include "scene/workflow_steps.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

constexpr const char* kOriginalEvalMode = "_original_eval_mode";

// `_original_eval_mode` when it holds a non-empty str; anything else means "nothing saved".
std::optional<std::string> read_saved_eval_mode(PyObject* module) {
    py::PyRef value = module_attr(module, kOriginalEvalMode);
    std::string mode;
    if (!py::is_text(value.get())) return std::nullopt;
    if (!py::text_to_utf8(value.get(), mode)) py::throw_python_error();
    if (mode.empty()) return std::nullopt;
    return mode;
}

void write_saved_eval_mode(PyObject* module, const std::optional<std::string>& mode) {
    if (!mode) return;
    py::PyRef value = py::checked(py::text(*mode));
    set_module_attr(module, kOriginalEvalMode, value.get());
}

// Runs `body(saved_mode)` with the module's saved evaluation mode and writes the mode back
// afterwards, also when the body throws: a suspend that saved the mode and then failed to stop
// the redraw has still replaced it, and the next unsuspend must find the new one.
template <class Body>
auto with_saved_eval_mode(PyObject* module, Body&& body) {
    std::optional<std::string> saved_mode = read_saved_eval_mode(module);
    try {
        auto result = body(saved_mode);
        write_saved_eval_mode(module, saved_mode);
        return result;
    } catch (...) {
        try {
            write_saved_eval_mode(module, saved_mode);
        } catch (...) {
            // The failure that brought us here is the one the caller needs to see.
        }
        throw;
    }
}

// Writes `text` to sys.stderr; the failure of the report itself is dropped (and cleared).
void write_stderr(const std::string& text) noexcept {
    PyObject* stream = PySys_GetObject(const_cast<char*>("stderr"));
    if (stream == nullptr || stream == Py_None) return;
    py::PyRef line = py::PyRef::steal(py::stream_text(text));
    if (!line || PyFile_WriteObject(line.get(), stream, Py_PRINT_RAW) != 0) PyErr_Clear();
}

// The traceback of a failed prepare, printed to sys.stderr the way traceback.print_exc() prints
// it. The error has already been reported as a warning and goes no further: no Python error is
// left set, whatever happens while printing.
void print_failure_traceback(PyObject* module, const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const py::PythonError& error) {
        // Read, not restored: the exception object is shared with whoever still holds `failure`.
        PyObject* traceback_module = PyObject_GetAttrString(module, "traceback");
        PyObject* printed = nullptr;
        if (traceback_module != nullptr) {
            PyObject* traceback = error.traceback() != nullptr ? error.traceback() : Py_None;
            PyObject* value = error.value() != nullptr ? error.value() : Py_None;
            printed = PyObject_CallMethod(traceback_module, const_cast<char*>("print_exception"),
                                          const_cast<char*>("OOO"), error.type(), value, traceback);
        }
        if (printed == nullptr) {
            PyErr_Clear();
            write_stderr(std::string("Traceback unavailable: ") + error.what() + "\n");
        }
        Py_XDECREF(printed);
        Py_XDECREF(traceback_module);
    } catch (const std::exception& error) {
        // No Python frames to show: the failure came from the tool's own C++ code.
        write_stderr(std::string("Traceback (C++, no Python frames): ") + error.what() + "\n");
    } catch (...) {
        write_stderr("Traceback (C++, no Python frames): unknown error\n");
    }
}

// A failure the host or the user raised to stop everything (Ctrl+C, a host quit) is not a failed
// prepare to report and carry on from: it goes on to the caller.
void pass_interrupts(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const py::PythonError& error) {
        if (!error.matches(PyExc_Exception)) throw;
    } catch (...) {
    }
}

// Every command makes its host over the module's current `cmds`, `mel` and `omui` and takes the
// module's current record at call time: a state reset between two commands replaces the record,
// and the window must act on the new one.
template <class Body>
void run_command(PyObject* module, TremblaToolWindow& target, CommandKind kind, Body&& body,
                 const WindowContext::PutBack& put_back = {}) {
    run_window_command(module, target, kind, std::forward<Body>(body), put_back);
}

// The workflow works on a private copy of the record, never on the record itself: host calls run
// Python, which may install another record under it. The copy is kept only if the record it was
// taken from is still the current one; false when it was replaced meanwhile.
bool keep_record(PyObject* module, const PreparedRecord& taken, Prepared&& result) {
    return replace_prepared(module, taken, std::move(result));
}

// As keep_record, while an error of the workflow is on its way: that error is what the caller
// must see, and the record is kept when possible, since the scene has changed with it.
bool keep_record_on_failure(PyObject* module, const PreparedRecord& taken, Prepared&& result) noexcept {
    try {
        return keep_record(module, taken, std::move(result));
    } catch (...) {
        PyErr_Clear();
        return false;
    }
}

// The module's progress timing; Esc may cancel only a command the user started from the window's
// own button, never a script's call, which may run inside the script's own open undo chunk.
ProgressTiming command_timing(PyObject* module, const WindowCommand& command) {
    ProgressTiming timing = progress_timing(module);
    timing.cancellable = command.window()._by_own_control;
    return timing;
}

void prepare_command(PyObject* module, TremblaToolWindow& target) {
    run_command(module, target, CommandKind::Scene, [module](WindowCommand& command) {
        const ShakeControls controls = read_controls(command.window());
        const ProgressTiming timing = command_timing(module, command);
        const std::string clip_name = command.window()._source_clip;
        const Frame clip_offset = command.window()._clip_offset;
        py::PythonHost host = host_for(module);
        // A clip named instead of the object is found before anything is prepared; one found
        // nowhere is said as a missing source is.
        std::optional<ClipSource> clip;
        if (!clip_name.empty()) {
            std::optional<ShakeClip> found = find_clip_by_name(module, host, clip_name);
            if (!found) {
                host.warning("Clip " + shown_name(clip_name) + " not found in the clip files.");
                return;
            }
            clip = ClipSource{clip_name, std::move(*found), clip_offset};
        }
        const PreparedRecord taken = current_prepared(module);
        Prepared work = *taken;
        const FailureReporter report = [module](const std::exception_ptr& failure) {
            pass_interrupts(failure);
            print_failure_traceback(module, failure);
        };
        PrepareOutcome outcome = PrepareOutcome::Rejected;
        std::optional<ShakeOffsets> applied;
        try {
            outcome = with_saved_eval_mode(module, [&](std::optional<std::string>& saved_mode) {
                return prepare_shake(host, work, saved_mode, controls, report, timing, &applied,
                                     clip ? &*clip : nullptr);
            });
        } catch (...) {
            keep_record_on_failure(module, taken, std::move(work));
            throw;
        }
        // Nothing written (or, cancelled, everything taken back): the button keeps its look.
        if (outcome == PrepareOutcome::Rejected || outcome == PrepareOutcome::Cancelled) return;
        std::optional<ShakePreviewData> preview;
        if (applied) preview = preview_of(work, std::move(*applied), controls.bypass);
        const bool ready = work.ready;
        if (!keep_record(module, taken, std::move(work))) throw PreparationReplaced();
        // A failed prepare still counts as a prepare for the button: the user sees it was run.
        show_prepared_button(command.window());
        command.window()._show_applied(ready);
        // A prepare that failed before applying anything leaves the preview of the shake still on
        // the camera, if any.
        if (preview) {
            command.window().shake_preview->set_data(std::move(*preview));
        } else if (!ready) {
            command.window().shake_preview->clear();
        }
    });
}

// Keys the shake of `record`, the record current when the command took it, as `controls` say,
// and shows it in the preview.
void apply_to_record(PyObject* module, WindowCommand& command, py::PythonHost& host, PreparedRecord record,
                     const ShakeControls& controls) {
    // Keys the animator set on the shaken camera go into its own curves in the same step, before
    // the shake curves are keyed afresh.
    std::optional<UndoChunk> chunk;
    const std::vector<AnimatorKey> found = find_animator_keys(host, *record);
    if (!found.empty()) {
        chunk.emplace(host, "Trembla: update");
        Prepared carried = *record;
        carry_animator_keys(host, carried, found);
        if (!keep_record(module, record, std::move(carried))) throw PreparationReplaced();
        record = current_prepared(module);
    }
    std::optional<AppliedShake> applied = apply_prepared_shake(host, *record, controls);
    if (!applied) return;
    // The camera now carries a shake from a record that is no longer current.
    if (current_prepared(module) != record) throw PreparationReplaced();
    // The record notes what was keyed (the next command tells the animator's keys from it), the
    // curve names the host answered and the mode; reset and bake look for these.
    {
        Prepared noted = *record;
        record_shake_curves(host, noted, *applied);
        if (!keep_record(module, record, std::move(noted))) throw PreparationReplaced();
        record = current_prepared(module);
    }
    // The window may have gone during the host calls; the keys stand all the same.
    if (command.window_alive()) {
        command.window().shake_preview->set_data(preview_of(*record, std::move(applied->offsets), controls.bypass));
    }
}

// Re-applies the current record's shake as the window's controls say.
void run_update(PyObject* module, WindowCommand& command) {
    const ShakeControls controls = read_controls(command.window());
    PreparedRecord record = current_prepared(module);
    if (record->ready && record->samples_pending) {
        py::PythonHost host = host_for(module);
        record = read_samples_if_pending(module, host);
        if (!record) return;  // the source of a taken-up shake is gone: its keys stay
    }
    if (!record->ready) {
        // No host needed for doing nothing but the preview of a chosen clip. A state reset may
        // have ended the preparation the preview still shows; a clip chosen shows there instead.
        if (command.window_alive()) {
            command.window()._show_applied(false);
            show_clip_before_prepare(module, command);
        }
        return;
    }
    if (controls.bypass) {
        // Bypassed, a change keys nothing: clearing the box applies the settings as they are
        // then. The preview, which asks the host nothing, shows what that will bring.
        command.window().shake_preview->set_data(
            preview_of(*record, prepared_shake_offsets(*record, controls), controls.bypass));
        return;
    }
    py::PythonHost host = host_for(module);
    apply_to_record(module, command, host, record, controls);
}

// Says once when the fades come to overlap in a range: a fade row's change or the ranges' commit.
void tell_overlapping_fades(PyObject* module, WindowCommand& command) {
    if (!command.window_alive()) return;
    const ControlValues settings = read_controls(command.window()).settings;
    if (ranges_with_overlapping_fades(settings) == command.window()._fade_overlap_said) return;
    py::PythonHost host = host_for(module);
    warn_overlapping_fades(host, command.window(), settings);
}

void update_command(PyObject* module, TremblaToolWindow& target, const WindowContext::PutBack& put_back) {
    run_command(
        module, target, CommandKind::Update,
        [module](WindowCommand& command) {
            run_update(module, command);
            tell_overlapping_fades(module, command);
        },
        put_back);
}

// A mode button was checked: the update keys the shake under the new mode as one undo step named
// for the change, as the host's Edit > Undo shows it ("Undo: Trembla: camera mode relax").
void mode_command(PyObject* module, TremblaToolWindow& target, const WindowContext::PutBack& put_back) {
    run_command(
        module, target, CommandKind::Update,
        [module](WindowCommand& command) {
            const ShakeControls controls = read_controls(command.window());
            // Nothing keyed (nothing prepared, or bypassed): no step, as the update makes none.
            if (!current_prepared(module)->ready || controls.bypass) {
                run_update(module, command);
                return;
            }
            py::PythonHost host = host_for(module);
            const UndoChunk chunk(host, std::string("Trembla: camera mode ") +
                                            camera_mode_text(controls.settings.mode));  // the update's joins it
            run_update(module, command);
        },
        put_back);
}

// The ranges field was committed. Parts that hold no frame are kept as the parser reads them
// (dropped, or a reversed range that covers nothing); the user hears once which ones, then the
// shake follows the text as any control's change.
void ranges_command(PyObject* module, TremblaToolWindow& target, const WindowContext::PutBack& put_back) {
    run_command(
        module, target, CommandKind::Update,
        [module](WindowCommand& command) {
            const std::vector<std::string> unused = unused_range_parts(read_controls(command.window()).settings.ranges);
            if (!unused.empty()) {
                std::string parts;
                for (const std::string& part : unused) parts += (parts.empty() ? "" : ", ") + part;
                py::PythonHost host = host_for(module);
                host.warning("Frame ranges not used: " + parts +
                             " (write each range as start-end, the start not after the end).");
            }
            run_update(module, command);
            tell_overlapping_fades(module, command);
        },
        put_back);
}

// The Bypass box was toggled: the shake is keyed again with the amount at zero (checked) or with
// the settings as they are (cleared), as one undo step of its own. Run as the channel boxes' update
// is, and refused the same way inside another command of the window.
void bypass_command(PyObject* module, TremblaToolWindow& target, const WindowContext::PutBack& put_back) {
    run_command(
        module, target, CommandKind::Update,
        [module](WindowCommand& command) {
            const ShakeControls controls = read_controls(command.window());
            py::PythonHost host = host_for(module);
            const PreparedRecord record = read_samples_if_pending(module, host);
            if (!record || !record->ready) return;           // nothing prepared: the scene stays as it is, no step
            const UndoChunk chunk(host, "Trembla: bypass");  // the update's own chunk joins this one
            apply_to_record(module, command, host, record, controls);
        },
        put_back);
}

// Reset and bake end the preparation; the prepare button then returns to its first look, also
// when the workflow failed after the end (bake's closing message), since the record says so.
template <class Workflow>
void ending_command(PyObject* module, TremblaToolWindow& target, Workflow&& workflow) {
    run_command(module, target, CommandKind::Scene, [&](WindowCommand& command) {
        const ShakeControls controls = read_controls(command.window());
        const bool by_user = command.window()._by_own_control;
        py::PythonHost host = host_for(module);
        const PreparedRecord taken = current_prepared(module);
        Prepared work = *taken;
        const bool was_ready = work.ready;
        try {
            workflow(host, work, controls, by_user);
        } catch (...) {
            const bool ended = was_ready && !work.ready;
            if (keep_record_on_failure(module, taken, std::move(work)) && ended && command.window_alive()) {
                show_unprepared(command.window());
            }
            throw;
        }
        if (work.ready) return;  // the camera is gone: nothing changed, the preparation and its box stay
        if (!was_ready) {
            // Nothing was prepared: only the box, which has nothing to bypass, clears.
            if (command.window_alive()) clear_bypass(command.window());
            return;
        }
        if (!keep_record(module, taken, std::move(work))) throw PreparationReplaced();
        show_unprepared(command.window());
        // Nothing is prepared any more: a clip chosen shows in the preview again.
        show_clip_before_prepare(module, command);
    });
}

void reset_command(PyObject* module, TremblaToolWindow& target) {
    ending_command(module, target, [module](Host& host, Prepared& work, const ShakeControls& controls, bool) {
        // A shake this session did not prepare (an earlier window, session or file) is found on
        // the camera the window names, and taken off the same way.
        // Said in the view as prepare and bake say theirs: the camera's change alone is easy to miss.
        const char* const done = "Shake reset: the camera's own animation is back.";
        // A taken-up shake that plays a clip reads it here, where clips are found: the reset then
        // tells the animator's keys on the shake curves from its own. Without it they go as with
        // a deleted source.
        if (work.ready && work.samples_pending && work.clip) {
            Prepared sampled = work;
            if (read_pending_samples(host, sampled, clip_lookup(module, host))) work = std::move(sampled);
        }
        if (!work.ready) {
            if (reset_applied_shake(host, controls.camera_field)) steps::show_in_view(host, done);
            return;
        }
        // The prepared camera renamed or deleted since: the camera the window names now, found
        // with its shake through its links, is reset in its place; else one line says why not.
        const std::string prepared = work.camera.value_or(std::string());
        if (!host.obj_exists(prepared)) {
            if (controls.camera_field != prepared && reset_applied_shake(host, controls.camera_field)) {
                work.ready = false;
                steps::show_in_view(host, done);
                return;
            }
            host.warning("Cannot reset: camera " + shown_name(prepared) +
                         " no longer exists (deleted or renamed). Set the camera that carries the shake.");
            return;
        }
        if (reset_camera(host, work)) steps::show_in_view(host, done);
    });
}

void bake_command(PyObject* module, TremblaToolWindow& target) {
    ending_command(module, target, [module](Host& host, Prepared& work, const ShakeControls& controls, bool by_user) {
        // Bypassed, the bake keys the shake again first: a taken-up shake needs its samples.
        if (controls.bypass && work.samples_pending) {
            Prepared sampled = work;
            if (read_pending_samples(host, sampled, clip_lookup(module, host))) work = std::move(sampled);
        }
        ProgressTiming timing = progress_timing(module);
        timing.cancellable = by_user;
        with_saved_eval_mode(module, [&](std::optional<std::string>& saved_mode) {
            return bake_to_layer(host, work, saved_mode, controls, timing);
        });
    });
}

template <std::optional<std::string> (*pick)(Host&), QLineEdit* TremblaToolWindow::*field>
void pick_command(PyObject* module, TremblaToolWindow& target) {
    run_command(module, target, CommandKind::Scene, [module](WindowCommand& command) {
        py::PythonHost host = host_for(module);
        if (std::optional<std::string> name = pick(host)) {
            (command.window().*field)->setText(QString::fromStdString(*name));
        }
    });
}

// A drag opens one undo step that the updates it runs join, and its release closes it; a click
// on the groove or a key press runs one update, which is a step of its own. Only one drag step
// per window is open at a time.
void begin_slider_drag(PyObject* module, TremblaToolWindow& target) {
    GilHold gil;
    if (target._drag_undo_open) return;
    QPointer<TremblaToolWindow> window(&target);
    py::PythonHost host = host_for(module);
    host.open_undo_chunk("Trembla: slider drag");
    if (window) {
        window->_drag_undo_open = true;
    } else {
        host.close_undo_chunk();  // the window went meanwhile; no release will come
    }
}

void end_slider_drag(PyObject* module, TremblaToolWindow& target) noexcept {
    GilHold gil;
    if (!target._drag_undo_open) return;
    target._drag_undo_open = false;
    try {
        py::PythonHost host = host_for(module);
        host.close_undo_chunk();
    } catch (...) {
        // Nothing to report a failed close to: the drag is over either way.
        PyErr_Clear();
    }
}

// The hooks hand `module` on at once: the window owns the hooks, and a command may delete the
// window, and with it the hook that is running.
void install_selection_commands(WindowContext& context, PyObject* module) {
    context.set_camera = [module](TremblaToolWindow& w) {
        pick_command<&set_camera, &TremblaToolWindow::camera_field>(module, w);
    };
    context.set_source = [module](TremblaToolWindow& w) {
        // An object picked is the source again, in place of any clip.
        const QPointer<TremblaToolWindow> alive(&w);
        pick_command<&set_source, &TremblaToolWindow::source_field>(module, w);
        if (alive && !alive->source_field->text().isEmpty() && !alive->_source_clip.empty()) {
            alive->_source_clip.clear();
            alive->_clip_offset = 0;
            alive->_show_source_choice();
            alive->shake_preview->clear();
        }
    };
}

void install_shake_commands(WindowContext& context, PyObject* module) {
    context.prepare_shake = [module](TremblaToolWindow& w) { prepare_command(module, w); };
    context.update_shake = [module](TremblaToolWindow& w, const WindowContext::PutBack& put_back) {
        update_command(module, w, put_back);
    };
    context.reset_camera = [module](TremblaToolWindow& w) { reset_command(module, w); };
    context.bake_to_layer = [module](TremblaToolWindow& w) { bake_command(module, w); };
    context.begin_slider_drag = [module](TremblaToolWindow& w) { begin_slider_drag(module, w); };
    context.end_slider_drag = [module](TremblaToolWindow& w) { end_slider_drag(module, w); };
    context.commit_ranges = [module](TremblaToolWindow& w, const WindowContext::PutBack& put_back) {
        ranges_command(module, w, put_back);
    };
    context.toggle_bypass = [module](TremblaToolWindow& w, const WindowContext::PutBack& put_back) {
        bypass_command(module, w, put_back);
    };
    context.change_mode = [module](TremblaToolWindow& w, const WindowContext::PutBack& put_back) {
        mode_command(module, w, put_back);
    };
    context.shown = [module](TremblaToolWindow& w) {
        const QPointer<TremblaToolWindow> alive(&w);
        install_scene_jobs(module, w);
        if (alive) show_the_scene(module, *alive, true);
    };
    context.hidden = [module](TremblaToolWindow& w) { kill_scene_jobs(module, w); };
}

}  // namespace

void install_scene_commands(WindowContext& context, PyObject* module) {
    install_selection_commands(context, module);
    install_shake_commands(context, module);
}

}  // namespace trembla::ext
