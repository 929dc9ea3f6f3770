// Playing a shake clip over a scene's frames: at the scene's frame rate, from an offset, looped
// across the range with a seam that does not kick.
#pragma once

#include <cstddef>
#include <vector>

#include "core/records.h"
#include "core/shake_clip.h"

namespace trembla {

// The clip at `frame_rate`: frame j shows the clip at j × clip rate / frame_rate, interpolated
// linearly between two whole clip frames as Speed interpolates (multiplied before divided, so that
// whole positions land exactly). The new clip covers the old one's time from its first to its last
// frame and no further, so nothing is extrapolated. At the clip's own rate the clip is returned as
// it is, every value to the last bit. Throws std::invalid_argument for a clip with a
// clip_problem, a rate that is not a finite number above 0 and at most kMaxClipFrameRate, or a
// result longer than kMaxSampledFrames.
ShakeClip resample_clip(const ShakeClip& clip, double frame_rate);

// Where a looped clip's last frame meets its first again. Each later pass of the clip starts
// displaced by `jump`, so that the step across the seam is `seam_step`, and the displacement fades
// linearly to nothing over `blend_frames` frames (jump × (blend_frames - j) / blend_frames at the
// pass's frame j): the seam's jump is spread so thin that no step grows by more than half the
// clip's 99th-percentile step of the channel, as far as the pass is long enough (the fade ends by
// the pass's last frame, so that every seam starts from the clip's own last frame). A channel whose last frame steps to its first by no
// more than that percentile step loops as it is (no jump); elsewhere the seam step is the mean of
// the clip's last and first steps, limited to that percentile step: a step the clip itself takes.
struct LoopSeam {
    Sample seam_step{};
    Sample jump{};
    std::size_t blend_frames = 0;  // 0: the clip loops by itself, nothing is displaced
};
LoopSeam loop_seam(const std::vector<Sample>& displacements);

// The clip at every frame of `frames`, the clip being at the scene's rate already (see
// resample_clip): the lowest frame shows clip frame `offset` (taken modulo the clip's length, a
// negative offset counting from the end), each later frame the clip frame as many frames on.
// Played to its end, the clip plays again from its first frame, joined by loop_seam. The first
// pass is the clip's own values, untouched; a clip as long as the range plays bit for bit.
// Throws std::invalid_argument for a clip with a clip_problem.
FrameRecord play_clip(const ShakeClip& clip, const std::vector<Frame>& frames, Frame offset);

// The q-quantile (0 < q <= 1, nearest rank) of the size of the clip's steps from frame to frame,
// per channel; zero for a clip of fewer than two frames. q = 0.99 is the measure a loop's seam is
// held to: the steps a clip takes 99 times in 100.
Sample step_percentile(const std::vector<Sample>& displacements, double q);

// The largest size of a step, per channel, among the steps into frames from..to - 1 of `sequence`
// (the step into frame i comes from frame i - 1; frame 0 has none).
Sample largest_step(const std::vector<Sample>& sequence, std::size_t from, std::size_t to);

}  // namespace trembla
