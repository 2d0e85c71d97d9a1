// The number routines' own header, for writing (number_text.cpp) and
// reading (number_reading.cpp) number texts. Its first part is what other
// subsystems use: the evaluator reads results and literals in place.
// The rest is the two files' own (and their tests'). All else is value.h.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "value/value.h"

namespace expreval {

// ---- Used by other subsystems ----------------------------------------------

// The significant digits of NumberToText.
inline constexpr int kSignificant = 14;

// No number text is longer (the longest, "-d.ddddddddddddde-ddd", has 21):
// a limit on value sizes at least this large never refuses a number.
inline constexpr std::size_t kLongestNumberText = 32;

// Every power of ten up to 1e22 is exactly a double.
inline constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int kMaxExactPower = 22;

// What reading the text that an arithmetic result x is written as gives,
// worked out without writing it: NumberToText's text, or with cut the text
// an operation on two integer texts writes, whose fixed form loses its
// fraction. False when that text is not worked out without writing it
// (non-finite values, magnitudes beyond the exact powers of ten).
// Inline, since the scan of arithmetic calls it for nearly every operation.
// With kFused, the same result by fused multiply-adds, for code built for a
// processor that has them (FusedRoundingAvailable): much shorter from x to
// the number, which a chain of operations waits for at every step.
template <bool kFused = false>
bool ResultNumber(double x, bool cut, PlainNumber& number);

// Whether this processor has fused multiply-adds, for choosing code built
// with them. Set as the program starts; false until then, which is always
// safe.
extern const bool g_fusedRounding;
inline bool FusedRoundingAvailable() {
    return g_fusedRounding;
}

// The number text written last, with what reading it gives: a result is
// mostly read again by the very next operation, which then finds its number
// here instead of reading its digits once more. number is exactly what
// ReadPlainNumber gives for the text.
// Never stale: Keep replaces it, and Recall answers only for the same bytes.
class LastNumber {
  public:
    static constexpr std::size_t kMaxSize = 24;

    // from must hold kMaxSize readable bytes, of which size are the text.
    void Keep(const char* from, std::size_t size, PlainNumber number) {
        size_ = size;
        std::memcpy(text_, from, kMaxSize);
        number_ = number;
    }

    bool Recall(std::string_view candidate, PlainNumber& found) const {
        if (size_ == 0 || candidate.size() != size_ || !SameBytes(candidate.data(), text_, size_))
            return false;
        found = number_;
        return true;
    }

  private:
    template <typename Word>
    static Word Load(const char* from) {
        Word word;
        std::memcpy(&word, from, sizeof word);
        return word;
    }

    // Compared a word at a time, the last word overlapping the ones before
    // it so that no load reaches past the n bytes: no library call for the
    // few bytes of a number text.
    static bool SameBytes(const char* a, const char* b, std::size_t n) {
        if (n >= 8) {
            return Load<std::uint64_t>(a) == Load<std::uint64_t>(b) &&
                   Load<std::uint64_t>(a + n - 8) == Load<std::uint64_t>(b + n - 8) &&
                   (n <= 16 || Load<std::uint64_t>(a + 8) == Load<std::uint64_t>(b + 8));
        }
        if (n >= 4) {
            return Load<std::uint32_t>(a) == Load<std::uint32_t>(b) &&
                   Load<std::uint32_t>(a + n - 4) == Load<std::uint32_t>(b + n - 4);
        }
        return std::memcmp(a, b, n) == 0;
    }

    std::size_t size_ = 0;  // 0: nothing kept (no number text is empty)
    char text_[kMaxSize] = {};
    PlainNumber number_;
};

// ---- Private to writing and reading ----------------------------------------

namespace number_detail {

// 10^0 to 10^19, every power of ten that 64 bits hold, as integers.
inline constexpr auto kWholePowers = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// Digits read eight characters at a time, as the bytes of one word, the
// first character in the lowest byte: how many digits a number has cannot
// be foreseen, so a loop over them would keep missing its end.
static_assert(std::endian::native == std::endian::little ||
              std::endian::native == std::endian::big);
inline constexpr int kWordBytes = 8;
inline constexpr int kByteBits = 8;

// The eight characters from at on.
inline std::uint64_t LoadWord(const char* at) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, at, sizeof word);
    } else {
        for (int i = kWordBytes - 1; i >= 0; --i)
            word = (word << kByteBits) | static_cast<unsigned char>(at[i]);
    }
    return word;
}

// How many of the word's bytes, from the first, are digits (0 to 8). A byte
// is a digit when its high half is 3 and stays 3 with 6 added; a carry out of
// a byte comes only from a byte that is no digit, so the first one that is
// not is found right.
inline int LeadingDigits(std::uint64_t word) {
    constexpr std::uint64_t kHighHalves = 0xF0F0F0F0F0F0F0F0;
    constexpr std::uint64_t kThrees = 0x3030303030303030;
    constexpr std::uint64_t kSixes = 0x0606060606060606;
    const std::uint64_t other =
        ((word & kHighHalves) ^ kThrees) | (((word + kSixes) & kHighHalves) ^ kThrees);
    return other == 0 ? kWordBytes : std::countr_zero(other) / kByteBits;
}

// The value of the word's first `count` bytes (0 to 8), all digits: moved to
// the top, so that zeros lead, then paired, quadrupled and joined by three
// multiplications.
inline std::uint64_t DigitsValue(std::uint64_t word, int count) {
    constexpr int kWordBits = kWordBytes * kByteBits;
    const std::uint64_t digits = word & 0x0F0F0F0F0F0F0F0F;
    std::uint64_t value = count == 0 ? 0 : digits << (kWordBits - kByteBits * count);
    value = (value * 2561) >> 8;  // 10 x digit + next digit, in every other byte
    value = ((value & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((value & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

// 10^13 and 10^14: a number scaled to lie between them has 14 integer
// digits, the significant ones.
inline constexpr double kLowest = kExactPowers[kSignificant - 1];
inline constexpr double kBeyond = kExactPowers[kSignificant];

// floor(n log10 2) as (n x 78913) >> 18, for n one less than the binary
// exponent of a finite double (-1023 to 1023) and for the bit length of a
// whole number below 10^14 (1 to 47); an arithmetic shift floors negative
// products too. (1233 and 12 would do for bit lengths, not for exponents:
// they fail at 681.) Proved here over both ranges: n log10 2 in double
// precision lies within 1e-12 of the true value and never within 1e-9 of an
// integer, so its floor is the true one.
inline constexpr int kLog10Of2Scaled = 78913;
inline constexpr int kLog10Of2Shift = 18;

constexpr bool Log10Of2ScaledIsExact() {
    constexpr double kLog10Of2 = 0.30102999566398119521;
    constexpr double kMargin = 1e-9;
    for (int n = -1100; n <= 1100; ++n) {
        const double x = n * kLog10Of2;
        auto floor = static_cast<long long>(x);
        floor -= x < static_cast<double>(floor) ? 1 : 0;
        const bool clear = n == 0 || (x - static_cast<double>(floor) > kMargin &&
                                      static_cast<double>(floor + 1) - x > kMargin);
        if (!clear || ((n * kLog10Of2Scaled) >> kLog10Of2Shift) != floor)
            return false;
    }
    return true;
}
static_assert(Log10Of2ScaledIsExact());

// m x 10^k, for |k| up to the largest exact power, in one correctly rounded
// operation.
inline double TimesPowerOfTen(double m, int k) {
    return k >= 0 ? m * kExactPowers[k] : m / kExactPowers[-k];
}

// Whether t = m x 10^k lies at or above `scaled`, its correctly rounded
// value: the error of that one operation, which a fused multiply-add gives
// exactly.
inline bool AtOrAbove(double m, int k, double scaled) {
    return k >= 0 ? std::fma(m, kExactPowers[k], -scaled) >= 0
                  : std::fma(-scaled, kExactPowers[-k], m) >= 0;
}

// t = m x 10^k rounded half up to an integer, from `scaled`, t correctly
// rounded, with 1 <= scaled <= 10^14. There the integer conversion of
// scaled + 1/2 is its floor (the sum is rounded only where it reaches a
// power of two, which keeps the floor). A half and scaled are whole
// multiples of scaled's last unit, and t lies within half of one from
// scaled, so t can lie on the other side of a half only when scaled is that
// half; then the error's sign decides. This needs scaled to be the rounded
// product, not fused into what follows: ISO C++ builds do not fuse. No jump
// on which way the rest round, which nothing foresees.
inline double RoundHalfUp(double m, int k, double scaled) {
    const auto up = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
    if (up - scaled == 0.5 && !AtOrAbove(m, k, scaled))
        return up - 1;
    return up;
}

// For m > 0: its 14 significant digits, rounded half up, are the integer
// `rounded` x 10^(exponent-14), exponent being the count of m's integer
// digits (negative below 0.1), and rounded lies below 10^14, or with
// toPower at most 10^14: m rounds up to the next power of ten, its exponent
// unchanged, as the text keeps the form of m's own exponent. False when a
// power of ten beyond the exact ones is needed, and without toPower when
// the scaled value lies within one unit of a power of ten.
// Whether m lies below the next power of ten, when its scaled value was
// rounded up to it, the error of that product decides.
inline bool RoundToSignificant(double m, int& exponent, double& rounded, bool toPower = false) {
    constexpr int kExponentShift = 52;
    constexpr int kExponentMask = 0x7FF;
    constexpr int kExponentBias = 1022;
    const int binary =
        static_cast<int>((std::bit_cast<std::uint64_t>(m) >> kExponentShift) & kExponentMask) -
        kExponentBias;  // 2^(binary-1) <= m < 2^binary for normal m
    exponent = (((binary - 1) * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;
    if (kSignificant - exponent < -kMaxExactPower || kSignificant - exponent > kMaxExactPower)
        return false;
    double scaled = TimesPowerOfTen(m, kSignificant - exponent);
    if (scaled >= kBeyond) {  // the estimate is low by at most one
        if (scaled == kBeyond && !AtOrAbove(m, kSignificant - exponent, kBeyond)) {
            rounded = kBeyond;
            return toPower;
        }
        ++exponent;
        if (kSignificant - exponent < -kMaxExactPower)
            return false;
        scaled = TimesPowerOfTen(m, kSignificant - exponent);
    }
    if (!toPower && (scaled < kLowest + 1 || scaled >= kBeyond - 1))
        return false;
    rounded = RoundHalfUp(m, kSignificant - exponent, scaled);
    return true;
}

// Rounding by fused multiply-adds, for code built for a processor that has
// them. A chain of operations waits at every step for its number, so what
// counts is how few operations lie between x and it: here two fused
// multiply-adds and a subtraction.
// - x's binary exponent picks, by a jump, its count of integer digits and
//   the constants of its scale. A processor guesses the jump and goes on
//   with the constants, where a table would wait for an index worked out
//   from x's bits.
// - Adding 1.5 x 2^52 to x 10^k, fused, rounds it once to an integer r (the
//   sum's last place is 1), half to even: x's 14 digits.
// - The result r / 10^k is r x 10^-k rounded plus r times what rounding
//   10^-k left out, in one fused multiply-add. That small term comes from x
//   rather than r (r lies within a half of x 10^k), so it is worked out
//   beside r, not after it. The sum lies within 5.1e-14 of a place of the
//   result from r / 10^k, and r / 10^k at least 1 / (2 x 5^k) of a place
//   from any midpoint between two doubles (for whole r and j, r 2^j is even
//   and 5^k odd), so up to k = 18 (kProvenPowers) the sum rounds to the
//   correctly rounded quotient.
// - Beyond, it is kept only when it lies within kTrustedHalf of a place
//   from r / 10^k (of the smaller place, at a power of two): it is then the
//   correctly rounded quotient.
// - Ties (which round half up here), magnitudes whose 14 digits may round up
//   to a power of ten, and results the test does not trust, which are too
//   rare to meet, are left to the plain routine. The first two are told from
//   x alone, beside the chain rather than after it.
struct FusedScale {
    double power;      // 10^k
    double inverse;    // 10^-k rounded
    double lost;       // 1 - 10^k x inverse, exactly but for one rounding
    double halfPlace;  // 10^k x kTrustedHalf x 2^-52: with a binary power, half a place
    int exponent;      // 14 - k, RoundToSignificant's exponent
    bool proven;       // k <= kProvenPowers: the result needs no test
};

inline constexpr int kProvenPowers = 18;

// 1 - p x q, for doubles p and q whose product lies near 1: their exact
// product as a rounded one and its error (Dekker's product, each factor
// split into halves of 26 bits whose products are exact), at compile time.
constexpr double OneLessProduct(double p, double q) {
    constexpr double kSplitter = 0x1p27 + 1;
    const double product = p * q;
    const double pHigh = p * kSplitter - (p * kSplitter - p);
    const double qHigh = q * kSplitter - (q * kSplitter - q);
    const double pLow = p - pHigh;
    const double qLow = q - qHigh;
    const double error = ((pHigh * qHigh - product) + pHigh * qLow + pLow * qHigh) + pLow * qLow;
    return (1 - product) - error;
}

// Just under a half: the fused result is far closer than that to the exact
// value, in places, but for texts that fall within a hair of a midpoint
// between two doubles.
inline constexpr double kTrustedHalf = 0.5 - 0x1p-30;

// The scale of numbers of e integer digits, pinned by an empty asm so that
// the compiler does not turn the jumps back into a table load. False beyond
// the exact powers of ten, and at the last of them, where the plain
// routine's estimate can ask for one beyond.
template <int e>
[[gnu::always_inline]] inline bool FusedScaleFor(FusedScale& scale) {
    constexpr int k = kSignificant - e;
    if constexpr (k < 0 || k >= kMaxExactPower) {
        return false;
    } else {
        constexpr double kInverse = 1 / kExactPowers[k];
        constexpr double kLost = OneLessProduct(kExactPowers[k], kInverse);
        constexpr double kHalfPlace = kExactPowers[k] * kTrustedHalf * 0x1p-52;
        scale = FusedScale{kExactPowers[k], kInverse, kLost, kHalfPlace, e, k <= kProvenPowers};
#if defined(__x86_64__) || defined(__i386__)
        asm("" : "+x"(scale.power), "+x"(scale.inverse), "+x"(scale.lost), "+x"(scale.halfPlace));
#elif defined(__aarch64__)
        asm("" : "+w"(scale.power), "+w"(scale.inverse), "+w"(scale.lost), "+w"(scale.halfPlace));
#endif
        return true;
    }
}

// For magnitudes of the biased binary exponent b, in [2^(b-1023),
// 2^(b-1022)): at most one power of ten lies among them, and which side of
// it the magnitude lies on gives its count of integer digits. Every such
// range ends at least 2% below the next power of ten, so that x's 14 digits
// lie from 10^13 up to below 10^14, but just below a power of ten within it,
// where they may round up to it: those are left to the plain routine. Below
// 1 that power is a rounded double, the nearest to it: a magnitude above it
// lies above the power too, and one equal to it is left too.
template <int b>
[[gnu::always_inline]] inline bool FusedScaleOf(double magnitude, FusedScale& scale) {
    constexpr int u = b - 1023;
    constexpr int low = ((u * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;
    constexpr int high = (((u + 1) * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;
    if constexpr (low == high) {
        return FusedScaleFor<low>(scale);
    } else {
        constexpr double kPower =
            low >= 0 ? kExactPowers[low < 0 ? 0 : low] : 1 / kExactPowers[low < 0 ? -low : 0];
        constexpr double kBelowPower = kPower * (1 - 1e-14);
        if (low >= 0 ? magnitude >= kPower : magnitude > kPower)
            return FusedScaleFor<low + 1>(scale);
        return magnitude < kBelowPower && FusedScaleFor<low>(scale);
    }
}

// The binary exponents of magnitudes from below 10^-7 to above 10^14.
inline constexpr int kFusedLowestBinary = 1023 - 26;
inline constexpr int kFusedBinaries = 80;

// What FusedScaleOf counts on: each range of a binary exponent ends 2% or
// more below the power of ten above it.
constexpr bool RangesEndBelowPowers() {
    for (int b = kFusedLowestBinary; b < kFusedLowestBinary + kFusedBinaries; ++b) {
        const int u = b - 1023;
        const int high = (((u + 1) * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;
        double top = 1;
        for (int i = 0; i < (u + 1 < 0 ? -(u + 1) : u + 1); ++i)
            top = u + 1 < 0 ? top / 2 : top * 2;
        const double power = high >= 0 ? kExactPowers[high] : 1 / kExactPowers[-high];
        if (top > 0.98 * power)
            return false;
    }
    return true;
}
static_assert(RangesEndBelowPowers());

#define EXPREVAL_FUSED_CASE(n)     \
    case kFusedLowestBinary + (n): \
        return FusedScaleOf<kFusedLowestBinary + (n)>(magnitude, scale);
// Laid out by hand: the formatter lays out a run of macro calls anew at
// each pass.
// clang-format off
#define EXPREVAL_FUSED_CASES8(n)                                             \
    EXPREVAL_FUSED_CASE(n) EXPREVAL_FUSED_CASE(n + 1)                        \
    EXPREVAL_FUSED_CASE(n + 2) EXPREVAL_FUSED_CASE(n + 3)                    \
    EXPREVAL_FUSED_CASE(n + 4) EXPREVAL_FUSED_CASE(n + 5)                    \
    EXPREVAL_FUSED_CASE(n + 6) EXPREVAL_FUSED_CASE(n + 7)
// clang-format on

[[gnu::always_inline]] inline bool ChooseFusedScale(double magnitude, FusedScale& scale) {
    constexpr int kExponentShift = 52;
    switch (static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> kExponentShift)) {
        EXPREVAL_FUSED_CASES8(0)
        EXPREVAL_FUSED_CASES8(8)
        EXPREVAL_FUSED_CASES8(16)
        EXPREVAL_FUSED_CASES8(24)
        EXPREVAL_FUSED_CASES8(32)
        EXPREVAL_FUSED_CASES8(40)
        EXPREVAL_FUSED_CASES8(48)
        EXPREVAL_FUSED_CASES8(56)
        EXPREVAL_FUSED_CASES8(64)
        EXPREVAL_FUSED_CASES8(72)
        default:
            return false;
    }
}
#undef EXPREVAL_FUSED_CASES8
#undef EXPREVAL_FUSED_CASE

// RoundToSignificant's work, with the sign kept, for finite nonzero x:
// exponent as it gives, value the signed result. Whole numbers come out as
// themselves. Only for callers built with fused multiply-adds: elsewhere
// std::fma is a library call.
[[gnu::always_inline]] inline bool RoundFused(double x, int& exponent, double& value) {
    constexpr double kToInteger = 0x1.8p52;
    constexpr std::uint64_t kExponentBits = 0x7FF0000000000000;
    const double magnitude = std::fabs(x);
    FusedScale scale;
    if (!ChooseFusedScale(magnitude, scale))
        return false;
    const double rounded = std::fma(x, scale.power, kToInteger) - kToInteger;
    value = std::fma(rounded, scale.inverse, x * scale.lost);
    exponent = scale.exponent;
    // A tie: x is an odd number times 2^(z + b - 1075), z the count of zero
    // bits that end its significand with its hidden bit and b its biased
    // exponent, so x 10^k = odd x 5^k x 2^(z + b - 1075 + k) lies halfway
    // between two integers just when that power is 2^-1: z + b = 1060 + e.
    constexpr int kTieSum = 1074 - kSignificant;
    constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
    const auto magnitudeBits = std::bit_cast<std::uint64_t>(magnitude);
    if (std::countr_zero(magnitudeBits | kHiddenBit) + static_cast<int>(magnitudeBits >> 52) ==
        kTieSum + scale.exponent)
        return false;
    if (scale.proven)
        return true;
    // A binary power at value, or below it at a power of two.
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const double power = std::bit_cast<double>((bits - 1) & kExponentBits);
    return std::fabs(std::fma(value, scale.power, -rounded)) < power * scale.halfPlace;
}

// Below 10^14 the integer conversion is exact for whole numbers.
inline bool IsShortWhole(double magnitude) {
    return magnitude < kBeyond &&
           magnitude == static_cast<double>(static_cast<std::int64_t>(magnitude));
}

}  // namespace number_detail

// Whole numbers below 10^14 are written with all their digits: a point
// follows unless there are 14 (or the text is cut). Otherwise the text reads
// as the correctly rounded `rounded` x 10^(exponent-14). A fixed form has no
// point only with 14 integer digits, and a cut leaves its integer part: a
// 14-digit decimal lies too far from the neighbouring integers for the
// rounding of its double to cross one. An exponent form is never cut.
template <bool kFused>
[[gnu::always_inline]] inline bool ResultNumber(double x, bool cut, PlainNumber& number) {
    using namespace number_detail;
    int exponent = 0;
    double value = 0;
    bool rounded = false;
    if constexpr (kFused)
        rounded = RoundFused(x, exponent, value);
    if (!rounded) {
        const double magnitude = std::fabs(x);
        if (IsShortWhole(magnitude)) {
            // x + 0 turns -0 into 0: "0" and "0." both read as plus zero.
            number = PlainNumber{x + 0.0, cut || magnitude >= kLowest};
            return true;
        }
        double digits = 0;
        if (!std::isfinite(x) || !RoundToSignificant(magnitude, exponent, digits, true))
            return false;
        value = std::copysign(TimesPowerOfTen(digits, exponent - kSignificant), x);
    }
    if (exponent < 0 || exponent > kSignificant) {
        number = PlainNumber{value, false};
    } else if (cut) {
        // The integer part, by conversions rather than a library call; -0.3
        // gives -0, as reading the text "-0" does.
        number = PlainNumber{
            std::copysign(static_cast<double>(static_cast<std::int64_t>(value)), value), true};
    } else {
        number = PlainNumber{value, exponent == kSignificant};
    }
    return true;
}

}  // namespace expreval
