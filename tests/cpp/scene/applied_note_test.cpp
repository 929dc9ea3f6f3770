// The note a camera keeps of what this tool applied: read back whole when the tool wrote it, and
// never read when cut, short of a line, oversized or of another kind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/applied_links.h"
#include "scene/applied_record.h"

namespace trembla {
namespace {

// A note with every kind of line the tool writes, text settings with blanks and breaks included.
AppliedRecord full_record() {
    AppliedRecord record;
    record.live = true;
    record.source = "rig_root";
    record.mode = "animated";
    record.start_frame = -12;
    record.end_frame = 240;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        record.base[k] = 0.1 * static_cast<double>(k) - 3.25;
        record.shake_curves[k] = std::string("shotCam_shake_") + kChannels[k];
        record.blends[k] = std::string("shotCam_shake_") + kChannels[k] + "_add";
        if (k % 2 == 0) record.own_curves[k] = std::string("shotCam_") + kChannels[k];
    }
    record.layers = {"trembla_layer", "trembla_layer1"};
    record.muted = {"trembla_layer"};
    ControlValues settings;
    settings.ranges = "5-30,\\ 34-38\nline two";
    record.settings = settings;
    record.bypass = true;
    return record;
}

// Every way a written note can come short: cut at each byte, or missing any one of its lines.
std::vector<std::pair<std::string, std::string>> shortened(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        out.emplace_back("cut at " + std::to_string(cut), text.substr(0, cut));
    std::size_t start = 0;
    for (std::size_t line = 0; start < text.size(); ++line) {
        const std::size_t end = text.find('\n', start) + 1;
        out.emplace_back("without line " + std::to_string(line), text.substr(0, start) + text.substr(end));
        start = end;
    }
    return out;
}

TEST(AppliedNoteTest, ANoteTheToolWroteReadsBackWholeAndNeverWhenCutOrShortOfALine) {
    const AppliedRecord record = full_record();
    const std::string text = applied_text(record);
    ASSERT_EQ(text.rfind("trembla-applied 3\n", 0), 0u);
    const NoteReading whole = read_note(text);
    ASSERT_TRUE(whole.record) << whole.problem;
    EXPECT_EQ(whole.version, 3);
    EXPECT_EQ(applied_text(*whole.record), text);
    for (const auto& [what, variant] : shortened(text)) {
        const NoteReading reading = read_note(variant);
        EXPECT_FALSE(reading.record) << what;
        EXPECT_FALSE(reading.problem.empty()) << what;
    }
}

// A shake that plays a clip notes it on a line of version 4; a shake of a source object keeps
// writing version 3, readable by the release before.
TEST(AppliedNoteTest, AClipLineMakesANoteOfVersionFourThatReadsBackWholeAndNeverWhenCut) {
    AppliedRecord record = full_record();
    record.source.clear();
    record.clip = NotedClip{"Hand held \\ take\n3", "fnv1a64:0123456789abcdef", 23.976, -7};
    const std::string text = applied_text(record);
    ASSERT_EQ(text.rfind("trembla-applied 4\nlive 1\nclip -7 ", 0), 0u) << text;
    const NoteReading whole = read_note(text);
    ASSERT_TRUE(whole.record) << whole.problem;
    EXPECT_EQ(whole.version, 4);
    EXPECT_EQ(whole.record->clip, record.clip);
    EXPECT_EQ(applied_text(*whole.record), text);
    for (const auto& [what, variant] : shortened(text)) EXPECT_FALSE(read_note(variant).record) << what;
}

TEST(AppliedNoteTest, NotesOfAnotherKindOrSizeAreNotRead) {
    const std::string text = applied_text(full_record());
    const std::string v1 = "trembla-applied 1\nlive 1\nrange 1 24\n";
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"42", "its note is not one this tool wrote"},
        {"", "its note is not one this tool wrote"},
        {"trembla-applied 5\nlive 0\nend 2\n", "its note is not one this tool wrote"},
        // The clip line comes with version 4 and only with it; its name is the rest of the line.
        {"trembla-applied 4\nlive 0\nend 2\n", "its note does not read"},
        {"trembla-applied 3\nlive 0\nclip 0 24 fnv1a64:00 walk\nend 3\n", "its note does not read"},
        {"trembla-applied 4\nlive 0\nclip 0 24 fnv1a64:00\nend 3\n", "its note does not read"},
        {"trembla-applied 4\nlive 0\nclip x 24 fnv1a64:00 walk\nend 3\n", "its note does not read"},
        {text + "extra\n", "its note is cut short"},
        {text.substr(0, text.size() - 1), "its note is cut short"},
        {text + std::string(kMaxNoteBytes, 'x'),
         "its note is " + std::to_string(text.size() + kMaxNoteBytes) + " bytes, more than a note holds (1 MiB)"},
        // Version 1 has no end line: a live note short of its bases or its closing bypass is cut.
        {v1, "its note does not read"},
        {"trembla-applied 1\nrange 99999999999999999999 1\n", "its note does not read"},
    };
    for (const auto& c : cases) {
        const NoteReading reading = read_note(c.text);
        EXPECT_FALSE(reading.record) << c.text.substr(0, 60);
        EXPECT_EQ(reading.problem, c.problem) << c.text.substr(0, 60);
    }
}

TEST(AppliedNoteTest, ANameInAMessageIsCutToAHundredCharactersWithoutSplittingACharacter) {
    const std::string euro = "\xE2\x82\xAC";
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {std::string(100, 'a'), std::string(100, 'a')},
        {std::string(101, 'a'), std::string(100, 'a') + "\xE2\x80\xA6"},
        {std::string(50'000'000, 'b'), std::string(100, 'b') + "\xE2\x80\xA6"},
        {std::string(99, 'c') + euro, std::string(99, 'c') + "\xE2\x80\xA6"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown_name(c.name), c.shown) << c.name.size();
}

}  // namespace
}  // namespace trembla
