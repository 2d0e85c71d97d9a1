// Number literals scanned and read in one pass: the scanner meets one in
// almost every line, and reading it again from its text would double the
// work. What it reads is what ReadPlainNumber reads; lexicon_test holds the
// two equal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "value/lexicon.h"
#include "value/number_text.h"
#include "value/value.h"

namespace expreval {

namespace number_detail {

// Appends digits to mantissa while they last, one at a time; the unsigned
// arithmetic keeps the loop short.
inline const char* AppendDigits(const char* p, const char* end, std::uint64_t& mantissa) {
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9)
            break;
        mantissa = mantissa * 10 + digit;
    }
    return p;
}

// The commonest forms, digits with or without a fraction, read in a few
// instructions a digit from the start of p..end: where they end, and whether
// number holds their value. Up to 15 digits the mantissa is an exact double,
// and the value the one quotient that ReadShortDecimal computes; longer
// runs, or none, are left to the general path.
struct SimpleDecimal {
    const char* end;
    bool read;
};
template <bool kMaySign>
inline SimpleDecimal ReadSimpleDecimalPrefix(const char* p, const char* end, PlainNumber& number) {
    constexpr std::ptrdiff_t kExactDigits = 15;
    const bool negative = kMaySign && *p == '-';
    p += negative ? 1 : 0;
    std::uint64_t mantissa = 0;
    const char* const first = p;
    p = AppendDigits(p, end, mantissa);
    std::ptrdiff_t digits = p - first;
    const bool point = p != end && *p == '.';
    std::ptrdiff_t fraction = 0;
    if (point) {
        const char* const fractionStart = ++p;
        p = AppendDigits(p, end, mantissa);
        fraction = p - fractionStart;
        digits += fraction;
    }
    if (digits == 0 || digits > kExactDigits)
        return {p, false};
    // At most 15 digits: exact, and signed, which converts in one step.
    const auto m = static_cast<double>(static_cast<std::int64_t>(mantissa));
    const double value = fraction > 0 ? m / kExactPowers[fraction] : m;
    number.value = negative ? -value : value;
    number.integer = !point;  // IsIntegerText: no point, and (here) no exponent
    return {p, true};
}

}  // namespace number_detail

// ScanNumberToken, reading on the way a token that is a simple decimal
// (digits and at most one point, at most 15 digits), the commonest literal:
// read is then true and number what ReadPlainNumber gives for the token.
// Where the scan knows no sign can start the token, kMaySign spares the look.
struct ScannedNumber {
    NumberToken token;
    bool read;
};

template <bool kMaySign = true>
inline ScannedNumber ScanNumber(std::string_view text, size_t start, PlainNumber& number) {
    const char* const end = text.data() + text.size();
    const number_detail::SimpleDecimal simple =
        number_detail::ReadSimpleDecimalPrefix<kMaySign>(text.data() + start, end, number);
    // An exponent goes on with the token, which the lexicon's rule then cuts.
    if (simple.end != end && *simple.end == 'e') [[unlikely]]
        return ScannedNumber{ScanNumberToken(text, start), false};
    return ScannedNumber{NumberToken{static_cast<size_t>(simple.end - text.data()), true},
                         simple.read};
}

}  // namespace expreval
