// Each workflow command is one step in the host's undo queue: one chunk around every call that
// changes the scene, closed on every way out.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

const std::set<std::string> kSceneChanges{"set_current_time",      "set_attr",           "cut_key",
                                          "delete_node",           "create_node",        "connect_attr",
                                          "set_curve_key",         "set_channel_key",    "set_layer_key",
                                          "create_override_layer", "add_layer_attribute"};

// The workflow fixture, driven from table rows.
class UndoChunkTest : public WorkflowTest {
public:
    using WorkflowTest::host;
    using WorkflowTest::SetUp;
    void TestBody() override {}
    void run_prepare(const std::string& mode) { prepare(shaped_controls(mode)); }
    void run_update() { update_shake(host, record, shaped_controls("animated")); }
    void run_reset() { reset_camera(host, record); }
    void run_bake() { bake_to_layer(host, record, saved_mode, shaped_controls("animated")); }
    void prepared() {
        prepare_quietly(shaped_controls("animated"));
        host.undo_chunks.clear();
    }
};

struct Case {
    const char* name;
    const char* chunk;
    bool needs_prepare;
    void (*run)(UndoChunkTest&);
};

const Case kCases[] = {
    {"prepare static", "Trembla: prepare", false, [](UndoChunkTest& t) { t.run_prepare("static"); }},
    {"prepare animated", "Trembla: prepare", false, [](UndoChunkTest& t) { t.run_prepare("animated"); }},
    {"prepare relax", "Trembla: prepare", false, [](UndoChunkTest& t) { t.run_prepare("relax"); }},
    {"update", "Trembla: update", true, [](UndoChunkTest& t) { t.run_update(); }},
    {"reset", "Trembla: reset", true, [](UndoChunkTest& t) { t.run_reset(); }},
    {"bake", "Trembla: bake", true, [](UndoChunkTest& t) { t.run_bake(); }},
};

TEST(UndoChunks, OneChunkBracketsEverySceneChangeOfEachCommand) {
    for (const Case& c : kCases) {
        UndoChunkTest t;
        t.SetUp();
        if (c.needs_prepare) t.prepared();
        c.run(t);
        const auto& chunks = t.host.undo_chunks;
        // One outermost chunk; a command may run another inside it (prepare applies the shake).
        ASSERT_GE(chunks.size(), 1u) << c.name;
        EXPECT_EQ(chunks[0].name, c.chunk) << c.name;
        for (const auto& inner : chunks) {
            EXPECT_TRUE(inner.opened >= chunks[0].opened && inner.closed <= chunks[0].closed) << c.name;
        }
        EXPECT_EQ(t.host.undo_depth, 0) << c.name;
        const auto& calls = t.host.calls();
        std::size_t changes = 0;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (kSceneChanges.count(calls[i].op) == 0) continue;
            ++changes;
            EXPECT_TRUE(i >= chunks[0].opened && i < chunks[0].closed) << c.name << ": " << calls[i];
        }
        EXPECT_GT(changes, 0u) << c.name;
    }
}

// A locked channel or a locked camera, locked before the command (after the prepare, for the
// others): the command changes nothing, opens no step and says so once, naming what is locked.
TEST(Locks, EveryCommandRefusesALockBeforeItsFirstChange) {
    const char* const kVerbs[] = {"prepare", "prepare", "prepare", "update", "reset", "bake"};
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        for (const std::string& locked : {plug("translateX"), kCamera}) {
            UndoChunkTest t;
            t.SetUp();
            if (c.needs_prepare) t.prepared();
            t.host.locked.insert(locked);
            t.host.clear_calls();
            t.host.warnings.clear();
            c.run(t);
            const std::string named = locked == kCamera ? kCamera + " (node)" : locked;
            EXPECT_EQ(t.host.warnings, (std::vector<std::string>{"Cannot " + std::string(kVerbs[i]) + " " + kCamera +
                                                                 ": locked: " + named + ". Unlock them first."}))
                << c.name;
            EXPECT_TRUE(t.host.undo_chunks.empty()) << c.name;
            for (const HostCall& call : t.host.calls()) {
                EXPECT_EQ(kSceneChanges.count(call.op), 0u) << c.name << ": " << call;
            }
        }
    }
}

TEST(UndoChunks, TheChunkIsClosedWhenAHostCallFailsPartWay) {
    for (const Case& c : kCases) {
        for (const char* op : {"create_node", "set_curve_key", "cut_key", "set_attr", "set_layer_key"}) {
            UndoChunkTest t;
            t.SetUp();
            if (c.needs_prepare) t.prepared();
            t.host.fail_always(op);
            try {
                c.run(t);
            } catch (const HostError&) {
            }
            EXPECT_EQ(t.host.undo_depth, 0) << c.name << " with " << op << " failing";
        }
    }
}

TEST(UndoChunks, AFailingCloseDoesNotEscapeAndAFailingOpenChangesNothing) {
    for (const Case& c : kCases) {
        UndoChunkTest closing;
        closing.SetUp();
        if (c.needs_prepare) closing.prepared();
        closing.host.fail_chunk_close = true;
        EXPECT_NO_THROW(c.run(closing)) << c.name;

        UndoChunkTest opening;
        opening.SetUp();
        if (c.needs_prepare) opening.prepared();
        opening.host.clear_calls();
        opening.host.fail_chunk_open = true;
        try {
            c.run(opening);
        } catch (const HostError&) {
        }
        for (const HostCall& call : opening.host.calls()) {
            EXPECT_EQ(kSceneChanges.count(call.op), 0u) << c.name << ": " << call;
        }
    }
}

TEST(UndoChunks, NothingToDoOpensNoChunk) {
    UndoChunkTest t;
    t.SetUp();
    t.run_update();
    t.run_reset();
    t.run_bake();
    EXPECT_TRUE(t.host.undo_chunks.empty());
}

}  // namespace
}  // namespace trembla::testing_scene
