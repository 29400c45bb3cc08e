// Numeric field text to number: TextToNumber on arbitrary zero-terminated bytes, as it is
// called directly and as the form calls it (with "+" in front), and FieldNumberFromDouble on
// every double that comes out.
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "morse/field_text.h"
#include "runtime/number_text.h"

namespace {

// The low 32 bits of the value truncated toward zero, taken with exact floating-point
// arithmetic instead of integer conversions; 0 where no 64-bit integer holds the value.
int32_t FieldNumberModel(double value) {
    if (std::isnan(value) || std::fabs(value) >= 9223372036854775808.0) return 0;
    double low = std::fmod(std::trunc(value), 4294967296.0);  // exact
    if (low < 0) low += 4294967296.0;
    if (low >= 2147483648.0) low -= 4294967296.0;
    return static_cast<int32_t>(low);
}

bool SameNumber(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// Reads `text` (up to its first zero) and checks what every reading must satisfy: the bytes
// used lie inside the text, a text without a number reads as 0, and the bytes used alone read
// as the same number (a text without one may read as -0, "-" alone, or +0).
double CheckedRead(const std::string& text) {
    const std::size_t length = std::strlen(text.c_str());
    std::size_t used = SIZE_MAX;
    const double value = TextToNumber(text.c_str(), &used);
    FUZZ_CHECK(used <= length);
    if (used == 0) FUZZ_CHECK(value == 0.0);
    FUZZ_CHECK(SameNumber(TextToNumber(text.c_str()), value));
    if (used > 0 && used < length) {
        std::size_t usedAgain = SIZE_MAX;
        FUZZ_CHECK(SameNumber(TextToNumber(text.substr(0, used).c_str(), &usedAgain), value));
        FUZZ_CHECK(usedAgain == used);
    }
    FUZZ_CHECK(FieldNumberFromDouble(value) == FieldNumberModel(value));
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    // The copy ends in its own zero, so ASan sees any read past it.
    const std::string text(FuzzBytes(data, size));
    CheckedRead(text);
    // As the form reads a field: a "+" in front, so the number is never negative.
    const double asField = CheckedRead("+" + text);
    FUZZ_CHECK(!(asField < 0.0));
    FUZZ_CHECK(RegistryCount() == startUp);
    return 0;
}
