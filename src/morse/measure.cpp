#include "morse/measure.h"

#include "morse/code_table.h"

// One pass to measure and one to copy, whatever the message holds: cutting bytes one at a time
// would move the rest of the message for every cut. A message that is clean already is kept.
int64_t MeasureAndClean(TextVar& message) {
    const auto bytes = TextUnsignedBytes(message.Get());
    int64_t units = 0;
    int32_t kept = 0;
    for (unsigned char byte : bytes) {
        if (const CodeEntry* entry = CodeLookup(byte)) {
            units += entry->unitLength;
            ++kept;
        }
    }
    if (static_cast<std::size_t>(kept) != bytes.size()) {
        Text cleaned = TextNew(kept);
        char* out = cleaned;
        for (unsigned char byte : bytes) {
            if (CodeLookup(byte) != nullptr) *out++ = static_cast<char>(byte);
        }
        message.Assign(cleaned);
    }
    // The last character is followed by no letter gap.
    return units - 3;
}
