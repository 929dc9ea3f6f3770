// Progress of a long command in the host's main progress bar, with Esc to cancel it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "core/work_progress.h"
#include "scene/host.h"

namespace trembla {

struct ProgressTiming {
    // How long a command runs before the bar appears: shorter ones never show it and make no host
    // call for it at all.
    std::chrono::steady_clock::duration delay = std::chrono::milliseconds(500);
    // The least time between two updates of the bar (each also asks whether Esc was pressed).
    std::chrono::steady_clock::duration interval = std::chrono::milliseconds(100);
    // Whether Esc may cancel at all: only a command the user started from the tool's own control.
    // A script's call, which may run inside the script's own undo chunk, runs to its end.
    bool cancellable = false;
};

// Counts the units of work done out of `total`. Once `timing.delay` has passed since it was made,
// the next unit begins the bar, when the host has a main window; from then on a unit at least
// `timing.interval` after the last update sets the bar and asks the host whether the user
// cancelled, and throws WorkCancelled when so. Batch mode (no main window) shows nothing and never
// cancels; nor does a command that is not `timing.cancellable`, or one begun while the host's undo
// queue is off (its bar is shown without Esc). Host failures propagate from advance(); end() ends
// a begun bar.
class HostProgress final : public WorkProgress {
public:
    HostProgress(Host& host, std::string status, std::size_t total, ProgressTiming timing);
    // Ends the bar if it is still up; a failure is dropped (end() is where a caller sees it).
    ~HostProgress() override;
    HostProgress(const HostProgress&) = delete;
    HostProgress& operator=(const HostProgress&) = delete;

    void advance() override;
    // `units` done in one host call: one update and one check, as a single unit has.
    void advance_by(std::size_t units);
    // Asked when the user has cancelled: false lets the work go on to its end (the cancel could
    // not be taken back), and Esc is not asked about again.
    void set_cancel_gate(std::function<bool()> gate) { gate_ = std::move(gate); }
    // Ends the bar when it was begun; does nothing otherwise or the second time.
    void end();

private:
    enum class State { Waiting, Shown, Off };
    void begin(std::chrono::steady_clock::time_point now);
    int bar_value() const;

    Host& host_;
    std::string status_;
    std::size_t total_;
    std::size_t done_ = 0;
    std::size_t units_per_step_ = 1;  // the bar counts in steps of this many units
    ProgressTiming timing_;
    State state_ = State::Waiting;
    std::string bar_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point last_update_;
    bool interruptible_ = false;
    std::function<bool()> gate_;
};

}  // namespace trembla
