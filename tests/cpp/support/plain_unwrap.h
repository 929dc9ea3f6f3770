// Angle unwrapping as the algorithm states it, one turn at a time: what the library's faster
// unwrap_angles must equal bit for bit, and the cost the benchmark holds it against.
#pragma once

#include <vector>

namespace trembla::testing_support {

inline std::vector<double> plain_unwrap(const std::vector<double>& values) {
    std::vector<double> out;
    out.reserve(values.size());
    for (const double value : values) {
        if (out.empty()) {
            out.push_back(value);
            continue;
        }
        const double prev = out.back();
        double curr = value;
        double diff = curr - prev;
        while (diff > 180) {
            curr -= 360;
            diff = curr - prev;
        }
        while (diff < -180) {
            curr += 360;
            diff = curr - prev;
        }
        out.push_back(curr);
    }
    return out;
}

}  // namespace trembla::testing_support
