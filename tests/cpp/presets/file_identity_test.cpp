// A write to a path the user picks is refused when the path names the user's own preset file or a
// shared one, however the path spells it: the file is found by identity, not by its name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "presets/file_identity.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::ScratchDirectory;
using testing::write_bytes;

TEST(FileIdentity, EveryAliasOfAFileOrOfAFileYetToBeMadeIsThatFileAndNothingElseIs) {
    const ScratchDirectory scratch;
    const std::string dir = scratch.path();
    std::filesystem::create_directory(dir + "/home");
    std::filesystem::create_directory(dir + "/elsewhere");
    const std::string own = dir + "/home/trembla_presets.json";
    write_bytes(own, "{}");
    write_bytes(dir + "/copy.json", "{}");
    std::filesystem::create_symlink(own, dir + "/link.json");
    std::filesystem::create_directory_symlink(dir + "/home", dir + "/linked");
    std::filesystem::create_hard_link(own, dir + "/hard.json");

    struct Case {
        std::string alias;
        std::string file;
        bool same;
    };
    const std::string unmade = dir + "/home/new.json";
    const std::vector<Case> cases = {
        {own, own, true},
        {dir + "/link.json", own, true},
        {dir + "/home/../home/trembla_presets.json", own, true},
        {dir + "//home/.//./trembla_presets.json", own, true},
        {dir + "/linked/trembla_presets.json", own, true},
        {dir + "/hard.json", own, true},
        {dir + "/copy.json", own, false},
        {dir + "/home/new.json", own, false},
        {dir + "/linked/new.json", unmade, true},
        {dir + "/elsewhere/../linked/./new.json", unmade, true},
        {dir + "/linked/other.json", unmade, false},
        {dir + "/elsewhere/new.json", unmade, false},
        {dir + "/missing/new.json", dir + "/missing/../home/new.json", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(same_file(c.alias, c.file), c.same) << c.alias << " vs " << c.file;
        EXPECT_EQ(same_file(c.file, c.alias), c.same) << c.file << " vs " << c.alias;
    }
}

}  // namespace
}  // namespace trembla
