// What a window shows follows the scene: after each sequence of the tool's steps and the host's
// events (an undo and a redo, played as the scene copied before a step and put back; a new scene;
// a file opened again), the record the look installs is what the camera notes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/applied_record.h"
#include "scene/own_keys.h"
#include "scene/scene_follow.h"
#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

struct Expected {
    bool ready;
    std::string camera;
    int amount;         // the settings the record notes (ready only)
    bool samples_kept;  // the record keys from samples it holds, not pending ones
    bool replaced;
};

// The table's steps reach the scene and the record as the test does.
class SceneFollowTest : public WorkflowTest {
public:
    using WorkflowTest::host;
    using WorkflowTest::record;

    // The host's scene as it was: what undo, redo and a reopened file put back.
    FakeHost saved() const { return host; }
    void put_back(const FakeHost& scene) {
        host = scene;
        host.clear_calls();
        host.edit_mark = host.edit_mark.value_or(0) + 1;  // the host edited every curve
    }

    void prepare_at(int amount) {
        ShakeControls c = shaped_controls("animated");
        c.settings.amount = amount;
        ASSERT_EQ(prepare(c), PrepareOutcome::Prepared);
    }
    void update_at(int amount) {
        ShakeControls c = shaped_controls("animated");
        c.settings.amount = amount;
        update_shake(host, record, c);
    }
    void bypass_on() {
        ShakeControls c = shaped_controls("animated");
        c.settings.amount = record.noted->settings->amount;
        c.bypass = true;
        update_shake(host, record, c);
    }

    SceneFollowed look(const std::string& named = kCamera, bool scan = true) {
        return follow_scene(host, record, named, scan);
    }
};

using Steps = std::function<void(SceneFollowTest&, std::vector<FakeHost>&)>;

struct Sequence {
    const char* name;
    Steps steps;
    Expected expected;
};

TEST_F(SceneFollowTest, AfterEachSequenceTheRecordIsWhatTheCameraNotes) {
    host.edit_mark = 0;
    const FakeHost fresh = host;
    const std::vector<Sequence> table = {
        {"an unchanged scene: the record stays, nothing asked but the note",
         [](SceneFollowTest& t, std::vector<FakeHost>&) { t.prepare_at(120); },
         {true, kCamera, 120, true, false}},
        {"an undo of a slider step: the earlier settings, the samples kept",
         [](SceneFollowTest& t, std::vector<FakeHost>& undo) {
             t.prepare_at(120);
             undo.push_back(t.saved());
             t.update_at(150);
             t.put_back(undo.back());
         },
         {true, kCamera, 120, true, true}},
        {"a redo of it: the later settings",
         [](SceneFollowTest& t, std::vector<FakeHost>& undo) {
             t.prepare_at(120);
             t.update_at(150);
             undo.push_back(t.saved());
             t.put_back(undo.back());
             t.record.noted_text = "trembla-applied 2\nan older look";  // what the window saw before the redo
         },
         {true, kCamera, 150, true, true}},
        {"an undo of the prepare: nothing ready",
         [](SceneFollowTest& t, std::vector<FakeHost>& undo) {
             undo.push_back(t.saved());
             t.prepare_at(120);
             t.put_back(undo.back());
         },
         {false, kCamera, 0, false, true}},
        {"an undo of a reset: the shake taken up again, its samples read later",
         [](SceneFollowTest& t, std::vector<FakeHost>& undo) {
             t.prepare_at(120);
             undo.push_back(t.saved());
             ASSERT_TRUE(reset_camera(t.host, t.record));
             t.put_back(undo.back());
         },
         {true, kCamera, 120, false, true}},
        {"a new scene: nothing ready",
         [](SceneFollowTest& t, std::vector<FakeHost>&) {
             t.prepare_at(120);
             t.put_back(FakeHost());
         },
         {false, kCamera, 0, false, true}},
        {"a file of the same shot opened with another note: taken up as noted there",
         [&fresh](SceneFollowTest& t, std::vector<FakeHost>&) {
             Prepared other;
             std::swap(other, t.record);
             t.prepare_at(60);
             const FakeHost file = t.saved();
             std::swap(other, t.record);
             t.put_back(fresh);
             t.prepare_at(120);
             t.put_back(file);
         },
         {true, kCamera, 60, true, true}},
        {"Bypass set, undone and redone: the note's Bypass",
         [](SceneFollowTest& t, std::vector<FakeHost>& undo) {
             t.prepare_at(120);
             t.bypass_on();
             undo.push_back(t.saved());
             t.record.noted_text.clear();
             t.put_back(undo.back());
         },
         {true, kCamera, 120, true, true}},
    };
    for (const Sequence& sequence : table) {
        SCOPED_TRACE(sequence.name);
        put_back(fresh);
        record = Prepared{};
        std::vector<FakeHost> undo;
        sequence.steps(*this, undo);
        host.clear_calls();
        const SceneFollowed followed = look();
        const Expected& want = sequence.expected;
        EXPECT_EQ(followed.record.has_value(), want.replaced);
        const Prepared now = followed.record.value_or(record);
        EXPECT_EQ(now.ready, want.ready);
        if (!want.ready) continue;
        EXPECT_EQ(now.camera.value_or(""), want.camera);
        ASSERT_TRUE(now.noted && now.noted->settings);
        EXPECT_EQ(now.noted->settings->amount, want.amount);
        EXPECT_EQ(!now.samples_pending && !now.source_data.empty(), want.samples_kept);
        EXPECT_EQ(now.noted_text, host.string_attrs.at(want.camera + "." + kAppliedAttribute));
        // The keys the record plans are those the camera's curves hold: no key is an animator's.
        if (want.samples_kept) {
            EXPECT_TRUE(find_animator_keys(host, now).empty());
        }
    }
}

TEST_F(SceneFollowTest, ACommandOfAnUnchangedSceneAsksOnlyTheNote) {
    prepare_at(120);
    host.clear_calls();
    const SceneFollowed followed = look(kCamera, false);
    EXPECT_FALSE(followed.record);
    EXPECT_LE(host.calls().size(), 2u);  // the camera, and its note
}

TEST_F(SceneFollowTest, TheFollowerAsksNothingWhileNoCurveWasEditedAndKeepsSamplesForOneSceneRead) {
    host.edit_mark = 1;
    host.read_mark = 1;
    SceneFollower follower;
    const auto shared = [](const Prepared& p) { return std::make_shared<const Prepared>(p); };
    const auto look_now = [&](const Prepared& p) { return follower.look(host, shared(p), kCamera, false); };
    // Nothing prepared and nothing edited since the last command: no call at all.
    follower.after_command(host, shared(record));
    host.clear_calls();
    EXPECT_FALSE(look_now(record).record);
    EXPECT_TRUE(host.calls().empty());
    // A prepare keys (the mark moves with it, as the record notes): the next command asks nothing.
    prepare_at(120);
    host.edit_mark = 2;
    record.edits_seen = 2;
    follower.after_command(host, shared(record));
    host.clear_calls();
    EXPECT_FALSE(look_now(record).record);
    EXPECT_TRUE(host.calls().empty());
    // Reset, then its undo: the shake comes back with the samples kept, in the same scene read...
    const FakeHost before_reset = saved();
    Prepared reset = record;
    ASSERT_TRUE(reset_camera(host, reset));
    follower.after_command(host, shared(reset));
    put_back(before_reset);
    SceneFollowed back = look_now(reset);
    ASSERT_TRUE(back.record && back.record->ready);
    EXPECT_FALSE(back.record->samples_pending);
    // ...and pending in another: a file of the same names may hold another motion.
    host.read_mark = 2;
    back = look_now(reset);
    ASSERT_TRUE(back.record && back.record->ready);
    EXPECT_TRUE(back.record->samples_pending);
}

TEST_F(SceneFollowTest, WithNoCameraNamedTheOnlyShakenCameraIsTakenUpAndSeveralAreNamed) {
    prepare_at(120);
    Prepared ended = record;
    ended.ready = false;
    EXPECT_EQ(follow_scene(host, ended, "", false).record.value_or(ended).camera.value_or(""), kCamera);
    host.add_camera("otherCam");
    host.string_attrs["otherCam." + std::string(kAppliedAttribute)] =
        host.string_attrs.at(kCamera + "." + kAppliedAttribute);
    // A copy's note links nothing: it is another camera's, said in one line, and never taken up.
    const SceneFollowed followed = follow_scene(host, ended, "", false);
    EXPECT_EQ(followed.record.value_or(ended).camera.value_or(""), kCamera);
    ASSERT_EQ(followed.problems.size(), 1u);
    EXPECT_NE(followed.problems.front().find("otherCam: its note belongs to another camera"), std::string::npos);
}

}  // namespace
}  // namespace trembla::testing_scene
