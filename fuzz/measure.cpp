// Measuring and cleaning arbitrary message bytes: MeasureAndClean against a filter written
// from the code table and a unit count summed from the element sequences, and the same bytes
// sounding when words are kept apart.
#include <string>

#include "fuzz_support.h"
#include "morse/code_table.h"
#include "morse/measure.h"
#include "support/window_render.h"

namespace {

// A dot is 1 unit, a dash 3, the gap inside a character 1 and the letter gap after it 3.
int64_t UnitsOf(std::string_view sequence) {
    int64_t units = 3 + static_cast<int64_t>(sequence.size()) - 1;
    for (char element : sequence) units += element == '-' ? 3 : 1;
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    const std::string_view input = FuzzBytes(data, size);

    std::string kept;
    int64_t lengths = 0;
    int64_t sequences = 0;
    for (char byte : input) {
        const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(byte));
        if (entry == nullptr) continue;
        kept += byte;
        lengths += entry->unitLength;
        sequences += UnitsOf(entry->sequence);
    }

    int64_t units = 0;
    {
        TextVar message(TextNew(static_cast<int32_t>(size)));
        std::copy(input.begin(), input.end(), message.Get());
        units = MeasureAndClean(message);
        const std::span<char> cleaned = TextBytes(message.Get());
        FUZZ_CHECK(std::string_view(cleaned.data(), cleaned.size()) == kept);
        FUZZ_CHECK(message.Get()[cleaned.size()] == '\0');  // the value's closing zero
    }
    {
        // Keeping words apart adds one blank per word break, and the bytes that sound stay the window's.
        TextVar words(TextNew(static_cast<int32_t>(size)));
        std::copy(input.begin(), input.end(), words.Get());
        const Measurement measured = MeasureMessage(words, WordBreaks::Kept);
        const std::span<char> cleaned = TextBytes(words.Get());
        std::string sounded(cleaned.data(), cleaned.size());
        FUZZ_CHECK(std::erase(sounded, ' ') == static_cast<std::size_t>(measured.wordBreaks));
        FUZZ_CHECK(sounded == kept);
    }
    FUZZ_CHECK(units + 3 == lengths);
    FUZZ_CHECK(lengths == sequences);
    if (kept.empty()) FUZZ_CHECK(units == kNothingToSound);
    FUZZ_CHECK(RegistryCount() == startUp);
    return 0;
}
