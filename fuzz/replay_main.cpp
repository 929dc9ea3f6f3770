// Runs a fuzz target over the files and directories named on the command line, for compilers
// without libFuzzer: the seed corpus then doubles as a regression test.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputs_named_by(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path named(argv[i]);
        if (fs::is_directory(named)) {
            for (const auto& entry : fs::recursive_directory_iterator(named)) {
                if (entry.is_regular_file()) inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(named);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<fs::path> inputs = inputs_named_by(argc, argv);
    if (inputs.empty()) {
        std::cerr << "usage: " << argv[0] << " CORPUS_FILE_OR_DIRECTORY...\n(no inputs found)\n";
        return 2;  // an empty or missing corpus must not pass as a test
    }
    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            std::cerr << "cannot read " << input << "\n";
            return 2;
        }
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // An exactly sized copy, so that a read past the end is caught by AddressSanitizer.
        const auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), copy.get());
        std::cerr << "Running: " << input.string() << "\n";
        LLVMFuzzerTestOneInput(copy.get(), bytes.size());
    }
    std::cerr << "Executed " << inputs.size() << " inputs\n";
    return 0;
}
