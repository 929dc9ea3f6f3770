#include <gtest/gtest.h>

#include <algorithm>

#include "scene/host_progress.h"
#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

using Names = std::vector<std::string>;

constexpr ProgressTiming kAtOnce{std::chrono::steady_clock::duration::zero(),
                                 std::chrono::steady_clock::duration::zero(), true};

TEST(HostProgress, InBatchModeShowsNothingAndNeverCancels) {
    FakeHost host;
    host.cancel_on_check = 1;
    HostProgress progress(host, "work", 3, kAtOnce);
    for (int i = 0; i < 3; ++i) progress.advance();
    progress.end();
    EXPECT_EQ(host.operations(), Names{"main_window"});
}

TEST(HostProgress, BeginsOnceChecksEveryUnitAndStopsAtTheCheckTheUserCancelled) {
    FakeHost host;
    host.main_window_pointer = 0x1234;
    host.cancel_on_check = 2;
    HostProgress progress(host, "work", 5, kAtOnce);
    progress.advance();
    EXPECT_THROW(progress.advance(), WorkCancelled);
    progress.end();
    progress.end();
    const std::vector<HostCall> expected{
        {"main_window", {}},
        {"main_progress_bar", {}},
        {"begin_progress", {"mainProgressBar", "work", "5"}},
        {"set_progress", {"mainProgressBar", "1"}},
        {"progress_cancelled", {"mainProgressBar"}},
        {"set_progress", {"mainProgressBar", "2"}},
        {"progress_cancelled", {"mainProgressBar"}},
        {"end_progress", {"mainProgressBar"}},
    };
    EXPECT_EQ(host.calls(), expected);
}

class CancelTest : public WorkflowTest {
protected:
    // The operations from the cancelling check on.
    Names operations_after_cancel() const {
        const Names all = host.operations();
        const auto last_check = std::find(all.rbegin(), all.rend(), "progress_cancelled");
        return Names(last_check.base() - 1, all.end());
    }
    // Whether the command's undo chunk was closed before the undo.
    bool undo_follows_the_close() const {
        const std::vector<HostCall>& calls = host.calls();
        const auto undo = std::find(calls.begin(), calls.end(), HostCall{"undo", {}});
        return undo != calls.end() && host.undo_chunks.back().closed <= static_cast<std::size_t>(undo - calls.begin());
    }
};

// Re-preparing the shaken camera resets it first: a cancel then has a change to undo.
TEST_F(CancelTest, ACancelledPrepareEndsTheBarResumesUndoesAndKeepsThePreviousPreparation) {
    const ShakeControls controls = shaped_controls("animated");
    prepare_quietly(controls);
    const Prepared before = record;
    host.main_window_pointer = 0x1234;
    host.cancel_on_check = 1;
    EXPECT_EQ(prepare_shake(host, record, saved_mode, controls, nullptr, kAtOnce), PrepareOutcome::Cancelled);
    EXPECT_EQ(operations_after_cancel(), (Names{"progress_cancelled", "end_progress", "refresh_suspend",
                                                "set_evaluation_mode", "undo", "warning"}));
    EXPECT_TRUE(undo_follows_the_close());
    EXPECT_EQ(host.warnings, Names{"Trembla: cancelled"});
    EXPECT_TRUE(record.ready);
    EXPECT_EQ(record.delta_data.samples, before.delta_data.samples);
    EXPECT_EQ(host.printed_lines.size(), 1u);  // "Preparing shake..." and nothing after
}

// check: the check Esc is pressed at; undone: whether the bake had changed the scene by then.
struct BakeCancel {
    int check;
    bool undone;
};
void PrintTo(const BakeCancel& cancel, std::ostream* out) {
    *out << "Esc at check " << cancel.check << (cancel.undone ? ", undone" : ", nothing to undo");
}

class BakeCancelTest : public CancelTest, public ::testing::WithParamInterface<BakeCancel> {};

TEST_P(BakeCancelTest, ACancelledBakeUndoesOnlyWhatItChangedAndStaysPrepared) {
    const ShakeControls controls = shaped_controls("animated");
    prepare_quietly(controls);
    host.main_window_pointer = 0x1234;
    host.cancel_on_check = GetParam().check;
    EXPECT_FALSE(bake_to_layer(host, record, saved_mode, controls, kAtOnce));
    EXPECT_TRUE(record.ready);
    EXPECT_EQ(host.warnings, Names{"Trembla: cancelled"});
    EXPECT_EQ(host.count("undo"), GetParam().undone ? 1u : 0u);
    EXPECT_EQ(host.count("end_progress"), 1u);
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_EQ(host.undo_depth, 0);
    if (GetParam().undone) {
        EXPECT_TRUE(undo_follows_the_close());
    }
}

// Six channels of 30 frames: 6 curves read in one query each, then 180 keys set (this host names
// no layer curve, so the keys go one at a time).
INSTANTIATE_TEST_SUITE_P(ReadingOrKeying, BakeCancelTest,
                         ::testing::Values(BakeCancel{1, false}, BakeCancel{6, false}, BakeCancel{7, true},
                                           BakeCancel{186, true}),
                         [](const ::testing::TestParamInfo<BakeCancel>& case_info) {
                             return "EscAtCheck" + std::to_string(case_info.param.check);
                         });

// Esc at a check after the bake changed the scene, where undo would not take back the bake's own
// step: the bake runs to its end instead, warns nothing and leaves the chunks as it found them.
struct UncancelledBake {
    const char* name;
    bool cancellable, queue_on, caller_chunk;
    std::size_t cancel_checks;  // times Esc is asked about
};

class UncancelledBakeTest : public CancelTest, public ::testing::WithParamInterface<UncancelledBake> {};

TEST_P(UncancelledBakeTest, RunsToItsEndWhenUndoCouldNotTakeItBack) {
    const UncancelledBake& c = GetParam();
    const ShakeControls controls = shaped_controls("animated");
    prepare_quietly(controls);
    host.main_window_pointer = 0x1234;
    host.cancel_on_check = 181;
    host.undo_on = c.queue_on;
    if (c.caller_chunk) host.open_undo_chunk("caller");
    ProgressTiming timing = kAtOnce;
    timing.cancellable = c.cancellable;
    EXPECT_TRUE(bake_to_layer(host, record, saved_mode, controls, timing)) << c.name;
    EXPECT_FALSE(record.ready) << c.name;
    EXPECT_EQ(host.warnings, Names{}) << c.name;
    EXPECT_EQ(host.count("undo"), 0u) << c.name;
    EXPECT_EQ(host.count("progress_cancelled"), c.cancel_checks) << c.name;
    EXPECT_EQ(host.undo_depth, c.caller_chunk ? 1 : 0) << c.name;
    EXPECT_EQ(host.progress_interruptible, c.cancellable && c.queue_on) << c.name;
}

INSTANTIATE_TEST_SUITE_P(WhereUndoCannot, UncancelledBakeTest,
                         ::testing::Values(UncancelledBake{"ScriptCall", false, true, false, 0},
                                           UncancelledBake{"QueueOff", true, false, false, 0},
                                           UncancelledBake{"InCallersChunk", true, true, true, 181}),
                         [](const ::testing::TestParamInfo<UncancelledBake>& case_info) {
                             return std::string(case_info.param.name);
                         });

}  // namespace
}  // namespace trembla::testing_scene
