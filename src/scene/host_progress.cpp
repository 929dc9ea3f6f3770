#include "scene/host_progress.h"

#include <algorithm>
#include <utility>

namespace trembla {
namespace {

// The bar's maxValue is an int; longer work is counted in steps so that it fits, and a few
// thousand steps are all a bar in a status line can show anyway.
constexpr std::size_t kMostBarSteps = 100000;

}  // namespace

HostProgress::HostProgress(Host& host, std::string status, std::size_t total, ProgressTiming timing)
    : host_(host),
      status_(std::move(status)),
      total_(std::max<std::size_t>(total, 1)),
      timing_(timing),
      started_(std::chrono::steady_clock::now()) {
    units_per_step_ = (total_ + kMostBarSteps - 1) / kMostBarSteps;
}

HostProgress::~HostProgress() {
    try {
        end();
    } catch (...) {
    }
}

int HostProgress::bar_value() const { return static_cast<int>(std::min(done_, total_) / units_per_step_); }

void HostProgress::begin(std::chrono::steady_clock::time_point now) {
    // Off first: whatever fails from here, the bar is not asked about again.
    state_ = State::Off;
    if (!host_.main_window()) return;
    std::string bar = host_.main_progress_bar();
    if (bar.empty()) return;
    const int steps = static_cast<int>((total_ + units_per_step_ - 1) / units_per_step_);
    // With the queue off nothing the command does could be undone: Esc would leave it half done.
    const bool interruptible = timing_.cancellable && host_.undo_enabled();
    host_.begin_progress(bar, status_, steps, interruptible);
    interruptible_ = interruptible;
    bar_ = std::move(bar);
    state_ = State::Shown;
    // The first update follows at once, so that an Esc pressed early counts at the first chance.
    last_update_ = now - timing_.interval;
}

void HostProgress::advance() {
    ++done_;
    if (state_ == State::Off) return;
    const auto now = std::chrono::steady_clock::now();
    if (state_ == State::Waiting) {
        if (now - started_ < timing_.delay) return;
        begin(now);
        if (state_ != State::Shown) return;
    }
    if (now - last_update_ < timing_.interval) return;
    last_update_ = now;
    host_.set_progress(bar_, bar_value());
    if (!interruptible_ || !host_.progress_cancelled(bar_)) return;
    if (!gate_ || gate_()) throw WorkCancelled{};
    interruptible_ = false;
}

void HostProgress::advance_by(std::size_t units) {
    if (units == 0) return;
    done_ += units - 1;
    advance();
}

void HostProgress::end() {
    if (state_ != State::Shown) return;
    state_ = State::Off;
    host_.end_progress(bar_);
}

}  // namespace trembla
