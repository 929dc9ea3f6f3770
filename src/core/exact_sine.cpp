#include "core/exact_sine.h"

namespace trembla {
namespace {

// π/2 divided by 2^30: the angle of one part of a quarter turn. Hexadecimal literals, here and
// below, so that no compiler's decimal conversion can choose another double.
constexpr double kQuarterTurnPart = 0x1.921fb54442d18p-30;

constexpr std::uint32_t kQuarterTurn = std::uint32_t{1} << 30;
constexpr std::uint32_t kEighthTurn = std::uint32_t{1} << 29;

// sin(x) for |x| <= π/4: x - x^3/3! + ... + x^17/17!, by Horner's rule in x².
double sine_polynomial(double x) {
    const double x2 = x * x;
    double sum = 0x1.952c77030ad4ap-49;  // 1/17!
    sum = -0x1.ae7f3e733b81fp-41 + x2 * sum;
    sum = 0x1.6124613a86d09p-33 + x2 * sum;
    sum = -0x1.ae64567f544e4p-26 + x2 * sum;
    sum = 0x1.71de3a556c734p-19 + x2 * sum;
    sum = -0x1.a01a01a01a01ap-13 + x2 * sum;
    sum = 0x1.1111111111111p-7 + x2 * sum;
    sum = -0x1.5555555555555p-3 + x2 * sum;
    return x + x * (x2 * sum);
}

// cos(x) for |x| <= π/4: 1 - x^2/2! + ... + x^16/16!.
double cosine_polynomial(double x) {
    const double x2 = x * x;
    double sum = 0x1.ae7f3e733b81fp-45;  // 1/16!
    sum = -0x1.93974a8c07c9dp-37 + x2 * sum;
    sum = 0x1.1eed8eff8d898p-29 + x2 * sum;
    sum = -0x1.27e4fb7789f5cp-22 + x2 * sum;
    sum = 0x1.a01a01a01a01ap-16 + x2 * sum;
    sum = -0x1.6c16c16c16c17p-10 + x2 * sum;
    sum = 0x1.5555555555555p-5 + x2 * sum;
    sum = -0x1.0000000000000p-1 + x2 * sum;
    return 1.0 + x2 * sum;
}

}  // namespace

double sine_of_turns(std::uint32_t turns) {
    // sin(q·π/2 + a) is sin a, cos a, -sin a, -cos a for the quadrants q = 0..3; a past π/4 is
    // taken from the quadrant's far end, where sin a = cos(π/2 - a).
    const std::uint32_t quadrant = turns >> 30;
    const std::uint32_t within = turns & (kQuarterTurn - 1);
    const bool near_start = within <= kEighthTurn;
    const double angle = static_cast<double>(near_start ? within : kQuarterTurn - within) * kQuarterTurnPart;
    const bool wants_sine = (quadrant % 2 == 0) == near_start;
    const double value = wants_sine ? sine_polynomial(angle) : cosine_polynomial(angle);
    return quadrant < 2 ? value : -value;
}

}  // namespace trembla
