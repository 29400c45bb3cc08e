#include <cstring>

#include "platform/text_compare.h"
#include "runtime/text.h"

// Without a locale-aware collation for code page 932 the bytes decide: equal only for the same
// bytes, and a value that begins another sorts before it.
int CompareStrings(const char* left, int32_t leftLength, const char* right, int32_t rightLength) {
    if (leftLength < 0 || rightLength < 0) return 0;
    const auto shorter = static_cast<std::size_t>(leftLength < rightLength ? leftLength : rightLength);
    const int order = std::memcmp(left, right, shorter);
    if (order < 0) return 1;
    if (order > 0) return 3;
    if (leftLength == rightLength) return 2;
    return leftLength < rightLength ? 1 : 3;
}

// Only the ASCII letters change case in code page 932; a lead byte and its trail byte are
// both outside a-z except for trail bytes 0x61-0x7A, which must stay as they are.
void UpperCaseInPlace(char* text) {
    for (auto* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
        const unsigned char b = *p;
        if (IsCp932LeadByte(b)) {
            if (p[1] == 0) break;
            ++p;
        } else if (b >= 'a' && b <= 'z') {
            *p = static_cast<unsigned char>(b - 'a' + 'A');
        }
    }
}
