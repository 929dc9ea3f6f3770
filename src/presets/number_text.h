// Number text of the preset file: a double written as Python's repr() writes it.
#pragma once

#include <string>

namespace trembla {

// Python's float repr: the shortest digits that read back as the same double, in fixed notation
// when the decimal point falls within -4 < decpt <= 16 ("0.0001", "1000000000000000.0"),
// otherwise as d.ddde+XX ("1e-05", "1e+16"). The value must be finite.
std::string python_float_repr(double value);

}  // namespace trembla
