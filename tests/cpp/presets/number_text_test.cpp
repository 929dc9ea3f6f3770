// The preset file's number text: Python's float repr, byte for byte, from the shortest digits.
#include "presets/number_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

namespace trembla {
namespace {

struct Case {
    double value;
    const char* python_repr;  // repr(value) of CPython 3
};

// Where the notation switches (decimal point at -4/-3 and 16/17), the shortest-digit traps (0.1+0.2,
// 2^53 neighbours, 1e23), the subnormal and extreme ends, and signed zero.
const Case kCases[] = {
    {0.0, "0.0"},
    {-0.0, "-0.0"},
    {1.0, "1.0"},
    {-1.5, "-1.5"},
    {0.1, "0.1"},
    {0.30000000000000004, "0.30000000000000004"},
    {0.3, "0.3"},
    {4.35, "4.35"},
    {0.3333333333333333, "0.3333333333333333"},
    {0.6666666666666666, "0.6666666666666666"},
    {0.0001, "0.0001"},
    {0.00012345, "0.00012345"},
    {-0.000123, "-0.000123"},
    {9.999999999999999e-05, "9.999999999999999e-05"},
    {1e-05, "1e-05"},
    {1000000000000000.0, "1000000000000000.0"},
    {9999999999999998.0, "9999999999999998.0"},
    {1e+16, "1e+16"},
    {123456789012345.67, "123456789012345.67"},
    {1234567890123456.8, "1234567890123456.8"},
    {9007199254740992.0, "9007199254740992.0"},
    {9007199254740994.0, "9007199254740994.0"},
    {1e+22, "1e+22"},
    {1e+23, "1e+23"},
    {1e+100, "1e+100"},
    {100.0, "100.0"},
    {123.456, "123.456"},
    {1.5e-300, "1.5e-300"},
    {5e-324, "5e-324"},
    {-5e-324, "-5e-324"},
    {2.225073858507201e-308, "2.225073858507201e-308"},
    {2.2250738585072014e-308, "2.2250738585072014e-308"},
    {1.7976931348623157e+308, "1.7976931348623157e+308"},
};

TEST(NumberText, WritesWhatPythonsReprWrites) {
    for (const Case& c : kCases) {
        EXPECT_EQ(python_float_repr(c.value), c.python_repr) << c.python_repr;
    }
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(NumberText, ReadsBackAsTheSameDoubleAcrossRandomBitPatterns) {
    std::mt19937_64 bits(20261208);
    int checked = 0;
    while (checked < 20000) {
        const std::uint64_t pattern = bits();
        double value = 0;
        std::memcpy(&value, &pattern, sizeof value);
        if (value != value || value - value != 0) continue;  // NaN and infinities are refused earlier
        const std::string text = python_float_repr(value);
        EXPECT_TRUE(same_bits(std::strtod(text.c_str(), nullptr), value)) << text;
        ++checked;
    }
}

}  // namespace
}  // namespace trembla
