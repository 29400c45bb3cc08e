#include "morse/render.h"

#include "morse/code_table.h"
#include "morse/tone.h"
#include "runtime/text.h"

int64_t Render(const char* message, std::span<uint8_t> samples, int32_t dotLength, int32_t toneFrequency,
               int32_t volume) {
    const Tone tone = ToneMake(toneFrequency, volume);
    const int64_t unit = int64_t{dotLength} * kSamplesPerMillisecond;
    int64_t position = 0;
    for (unsigned char byte : TextUnsignedBytes(message)) {
        const CodeEntry* entry = CodeLookup(byte);
        if (entry == nullptr) continue;  // cleaning leaves none; one that slips through is skipped
        const std::size_t last = entry->sequence.size() - 1;
        for (std::size_t k = 0; k <= last; ++k) {
            const bool dash = entry->sequence[k] == '-';
            if (dash) {
                WriteDash(samples, position, tone, dotLength);
            } else {
                WriteDot(samples, position, tone, dotLength);
            }
            // The element itself, then 1 unit of gap inside the character or 3 after it.
            position += unit * ((dash ? 3 : 1) + (k == last ? 3 : 1));
        }
    }
    return position;
}
