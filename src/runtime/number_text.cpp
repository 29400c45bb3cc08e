#include "runtime/number_text.h"

#include <cstdint>

#include "platform/text_compare.h"

namespace {

// The digit value of `b` in `base`, or -1. A byte below '0' wraps to a large value and so ends
// the digits like any other non-digit.
int DigitValue(unsigned char b, int base) {
    const auto decimal = static_cast<unsigned char>(b - '0');
    if (decimal < 10) return decimal < base ? decimal : -1;
    if (base == 16 && b >= 'A' && b <= 'F') return b - 'A' + 10;
    return -1;
}

// The &O and &H forms, read from an upper-cased copy so that &h1f counts as &H1F. Terms and
// place values wrap in 64 bits: a longer run of digits gives the wrapped value, not an error.
double ReadBasedInteger(const unsigned char* ampersand, const unsigned char*& end) {
    Text scratch = TextFromBytes(reinterpret_cast<const char*>(ampersand));
    UpperCaseInPlace(scratch);
    const auto* copy = reinterpret_cast<const unsigned char*>(scratch);

    int base = 0;
    if (copy[1] == 'O') base = 8;
    if (copy[1] == 'H') base = 16;
    double result = 0.0;
    end = ampersand;
    if (base != 0) {
        std::size_t run = 0;
        while (DigitValue(copy[2 + run], base) >= 0) ++run;
        if (run > 0) end = ampersand + 2 + run;
        uint64_t place = 1;
        for (std::size_t k = run; k-- > 0;) {
            const uint64_t term = static_cast<uint64_t>(DigitValue(copy[2 + k], base)) * place;
            result += static_cast<double>(static_cast<int64_t>(term));
            place *= static_cast<uint64_t>(base);
        }
    }
    TextRelease(scratch);
    return result;
}

// Digits are summed from the last to the first and the fraction from the first on, each step
// rounded to a double. That order is what makes a field's number: a correctly rounded parse
// (strtod) differs from it in the last bit for some long texts ("0.1" + many digits), and a
// field's number must be the same in every front end to the last bit, since it sizes the audio.
double ReadDecimal(const unsigned char* p, const unsigned char*& end) {
    const unsigned char* const start = p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    std::size_t run = 0;
    while (DigitValue(p[run], 10) >= 0) ++run;
    double result = 0.0;
    double place = 1.0;
    for (std::size_t k = run; k-- > 0;) {
        result += (p[k] - '0') * place;
        place *= 10.0;
    }
    p += run;
    bool fraction = false;
    if (*p == '.') {
        const unsigned char* digit = p + 1;
        double divisor = 10.0;
        for (; DigitValue(*digit, 10) >= 0; ++digit) {
            result += (*digit - '0') / divisor;
            divisor *= 10.0;
        }
        fraction = digit > p + 1;
        if (fraction || run > 0) p = digit;
    }
    end = run > 0 || fraction ? p : start;
    return negative ? result * -1.0 : result;
}

}  // namespace

double TextToNumber(const char* text, std::size_t* used) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text);
    const auto* p = begin;
    while (*p == ' ' || *p == '\t') ++p;
    const unsigned char* end = begin;
    const double value = *p == '&' ? ReadBasedInteger(p, end) : ReadDecimal(p, end);
    if (used != nullptr) *used = end == p ? 0 : static_cast<std::size_t>(end - begin);
    return value;
}
