#include "presets/number_text.h"

#include <cstdio>

// The shortest round-trip digits come from double-conversion (the library Qt and V8 use), not from
// std::to_chars: floating-point to_chars first shipped in GCC 11 and MSVC 19.24, newer than the
// compilers of several Maya releases.
#include <double-conversion/double-conversion.h>

namespace trembla {

std::string python_float_repr(double value) {
    using double_conversion::DoubleToStringConverter;
    char buffer[DoubleToStringConverter::kBase10MaximalLength + 1];
    bool negative = false;
    int ndigits = 0;
    int decpt = 0;  // value = 0.digits * 10^decpt
    DoubleToStringConverter::DoubleToAscii(value, DoubleToStringConverter::SHORTEST, 0, buffer,
                                           static_cast<int>(sizeof buffer), &negative, &ndigits, &decpt);
    const std::string digits(buffer, static_cast<std::size_t>(ndigits));

    std::string text = negative ? "-" : "";
    if (decpt <= -4 || decpt > 16) {
        text += digits[0];
        if (ndigits > 1) text += '.' + digits.substr(1);
        char exp_buffer[16];
        std::snprintf(exp_buffer, sizeof exp_buffer, "e%+03d", decpt - 1);
        text += exp_buffer;
    } else if (decpt <= 0) {
        text += "0." + std::string(static_cast<std::size_t>(-decpt), '0') + digits;
    } else if (decpt < ndigits) {
        text +=
            digits.substr(0, static_cast<std::size_t>(decpt)) + '.' + digits.substr(static_cast<std::size_t>(decpt));
    } else {
        text += digits + std::string(static_cast<std::size_t>(decpt - ndigits), '0') + ".0";
    }
    return text;
}

}  // namespace trembla
