// Powers of ten that doubles hold exactly, shared by writing and reading
// number texts.
#pragma once

namespace expreval {

// Every power of ten up to 1e22 is exactly a double.
inline constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxExactPower = 22;

}  // namespace expreval
