#include "morse/measure.h"

#include <array>

#include "morse/code_table.h"

namespace {

// Unit length of every byte, 0 for the bytes without a code: one load per byte in the loops below.
const std::array<uint8_t, 256>& UnitLengths() {
    static const std::array<uint8_t, 256> lengths = [] {
        std::array<uint8_t, 256> table{};
        for (const CodeEntry& entry : CodeEntries()) table[entry.character] = static_cast<uint8_t>(entry.unitLength);
        return table;
    }();
    return lengths;
}

}  // namespace

// One pass to measure and one to copy, whatever the message holds: cutting bytes one at a time
// would move the rest of the message for every cut. A message that is clean already is kept.
int64_t MeasureAndClean(TextVar& message) {
    const auto& lengths = UnitLengths();
    const auto bytes = TextUnsignedBytes(message.Get());
    int64_t units = 0;
    int32_t kept = 0;
    for (unsigned char byte : bytes) {
        units += lengths[byte];
        kept += lengths[byte] != 0;
    }
    if (static_cast<std::size_t>(kept) != bytes.size()) {
        Text cleaned = TextNew(kept);
        char* out = cleaned;
        for (unsigned char byte : bytes) {
            *out = static_cast<char>(byte);
            out += lengths[byte] != 0;  // the byte stays only if it has a code
        }
        *out = '\0';  // the value's closing zero, which a dropped last byte may have covered
        message.Assign(cleaned);
    }
    // The last character is followed by no letter gap.
    return units - 3;
}
