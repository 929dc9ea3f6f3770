// A shake found from its camera through the camera's links: a note the links bear out is taken
// up under the names the nodes bear now; any other is refused, and a reset then changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "scene/applied_links.h"
#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

std::string replaced_line(const std::string& text, const std::string& start, const std::string& line) {
    const std::size_t at = text.find("\n" + start) + 1;
    return text.substr(0, at) + line + text.substr(text.find('\n', at));
}

// The note without its blend lines, under another header.
std::string without_blends(const std::string& text, const std::string& header) {
    std::string out = header;
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        const std::size_t end = text.find('\n', start + 1);
        const std::string line = text.substr(start + 1, end - start);
        if (line.rfind("blend ", 0) != 0) out += (out.back() == '\n' ? "" : "\n") + line;
        start = end;
    }
    return out;
}

// The note as version 2 wrote it (its end line counting the lines above it), and as version 1
// wrote it: its header, and no end line.
std::string as_version_2(const std::string& text) {
    std::string out = without_blends(text, "trembla-applied 2");
    out = out.substr(0, out.rfind("end "));
    const std::size_t lines = static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n'));
    return out + "end " + std::to_string(lines) + "\n";
}
std::string as_version_1(const std::string& text) {
    const std::string out = without_blends(text, "trembla-applied 1");
    return out.substr(0, out.rfind("end "));
}

// The shake as those versions left it: each shake curve drives its channel, with no blend.
void as_earlier_versions_keyed(FakeHost& h) {
    for (const char* channel : kChannels) {
        const std::string curve = shake_curve_name(kCamera, channel);
        h.connections[plug(channel)] = curve + ".output";
        h.delete_node(curve + "_add");
    }
    h.message_attrs.erase(plug("tremblaShakeBlends"));
}

using Edit = std::function<void(FakeHost&, std::string&)>;

struct NoteCase {
    const char* what;
    Edit edit;
    AppliedFinding::State state;
};

// One fresh scene per case, shaken by a prepare, its note then edited.
struct OneScene : WorkflowTest {
    void TestBody() override {}
    void check(const NoteCase& c) {
        prepare_quietly(shaped_controls("animated"));
        std::string text = host.string_attrs.at(plug("tremblaShake"));
        c.edit(host, text);
        host.string_attrs[plug("tremblaShake")] = text;
        if (host.number_attrs.count(plug("tremblaShake")) != 0) host.string_attrs.erase(plug("tremblaShake"));
        const AppliedFinding found = find_applied(host, kCamera);
        EXPECT_EQ(found.state, c.state) << c.what << ": " << found.problem;
        if (c.state == AppliedFinding::State::held) {
            EXPECT_EQ(found.record.shake_curves, record.shake_curves) << c.what;
            return;
        }
        EXPECT_EQ(found.problem.rfind(kCamera + ": ", 0), 0u) << c.what << ": " << found.problem;
        const auto connections = host.connections;
        const auto curves = host.curves.size();
        host.warnings.clear();
        EXPECT_FALSE(reset_applied_shake(host, kCamera)) << c.what;
        EXPECT_EQ(host.warnings, std::vector<std::string>{"Cannot reset " + found.problem}) << c.what;
        EXPECT_EQ(host.connections, connections) << c.what;
        EXPECT_EQ(host.curves.size(), curves) << c.what;
    }
};

TEST(AppliedLinksTest, ANoteIsTakenUpOnlyWhereTheLinksBearItOutAndAResetOfAnyOtherChangesNothing) {
    const NoteCase cases[] = {
        {"as written", [](FakeHost&, std::string&) {}, AppliedFinding::State::held},
        {"version 1 as written",
         [](FakeHost& h, std::string& t) {
             as_earlier_versions_keyed(h);
             t = as_version_1(t);
         },
         AppliedFinding::State::held},
        {"version 2 as written",
         [](FakeHost& h, std::string& t) {
             as_earlier_versions_keyed(h);
             t = as_version_2(t);
         },
         AppliedFinding::State::held},
        {"version 1 naming another curve",
         [](FakeHost& h, std::string& t) {
             as_earlier_versions_keyed(h);
             h.add_node("other_curve");
             h.curves["other_curve"] = FakeCurve{"animCurveTL", {}};
             t = as_version_1(replaced_line(t, "shake translateX", "shake translateX other_curve"));
         },
         AppliedFinding::State::refused},
        {"cut", [](FakeHost&, std::string& t) { t = t.substr(0, t.size() / 2); }, AppliedFinding::State::refused},
        {"range past the keys",
         [](FakeHost& h, std::string& t) {
             as_earlier_versions_keyed(h);
             t = as_version_1(replaced_line(t, "range", "range 1 2000000000"));
         },
         AppliedFinding::State::refused},
        {"own links made a text",
         [](FakeHost& h, std::string&) {
             h.message_attrs.erase(plug("tremblaOwnCurves"));
             h.string_attrs[plug("tremblaOwnCurves")] = "x";
         },
         AppliedFinding::State::refused},
        {"the note made a number", [](FakeHost& h, std::string&) { h.number_attrs.insert(plug("tremblaShake")); },
         AppliedFinding::State::refused},
        {"a link to no curve",
         [](FakeHost& h, std::string&) {
             h.nodes.insert("prop");
             h.connections[plug("tremblaShakeCurves[0]")] = "prop.message";
         },
         AppliedFinding::State::refused},
        {"a blend link to no blend node",
         [](FakeHost& h, std::string&) {
             h.nodes.insert("prop");
             h.connections[plug("tremblaShakeBlends[0]")] = "prop.message";
         },
         AppliedFinding::State::refused},
        {"a blend link to a blend adding another curve (a layer's)",
         [](FakeHost& h, std::string&) {
             h.node_types["layerBlend"] = "animBlendNodeAdditiveDL";
             h.add_node("layerBlend");
             h.curves["layerCurve"] = FakeCurve{"animCurveTL", {}};
             h.connections["layerBlend.inputB"] = "layerCurve.output";
             h.connections[plug("tremblaShakeBlends[0]")] = "layerBlend.message";
         },
         AppliedFinding::State::refused},
        {"no link on this camera (a copy)",
         [](FakeHost& h, std::string&) {
             for (const char* array : {"tremblaShakeCurves[", "tremblaOwnCurves["}) {
                 for (std::size_t k = 0; k < kChannelCount; ++k)
                     h.connections.erase(plug(array + std::to_string(k) + "]"));
             }
         },
         AppliedFinding::State::foreign},
    };
    for (const NoteCase& c : cases) {
        OneScene scene;
        scene.check(c);
    }
}

}  // namespace
}  // namespace trembla::testing_scene
