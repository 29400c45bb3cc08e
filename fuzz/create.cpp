// The whole Create command, as one click of the window runs it, on arbitrary field texts and
// message bytes, through the stand-in form with its save dialog answering "into memory".
//
// The input is cut at zero bytes into parts: the message first (the window's field holds no
// zero byte), then the numeric fields in the order of kFields, then the largest heap block that
// may be given, in bytes (at most kHeapCeiling). A part that is absent keeps the form's
// start-up text ("100", "1000", "50") or the ceiling: "SOS" alone is the worked example. A new
// field of the form goes at the end of kFields, where the older inputs still read as before.
//
// Checked against a model of the run: which way it ends, the file's exact size and header,
// silence in every gap, each element's samples, one message for a written file, and a string
// registry back at its start-up size however the run ends (a refused text value included).
#include <algorithm>
#include <charconv>
#include <new>
#include <string>

#include "fuzz_support.h"
#include "morse/code_table.h"
#include "morse/create_command.h"
#include "morse/parameters.h"
#include "morse/tone.h"
#include "platform/form_standin.h"
#include "platform/heap.h"
#include "runtime/fatal.h"
#include "runtime/number_text.h"
#include "wav/audio_image.h"

namespace {

constexpr int kFields[] = {kDotFieldId, kFrequencyFieldId, kVolumeFieldId};
constexpr std::size_t kFieldCount = std::size(kFields);
// Images up to 256 KiB (32 s of sound): the worked examples fit many times over, and a run
// stays short enough for many a second.
constexpr std::size_t kHeapCeiling = std::size_t{1} << 18;

// The runtime refusing a text value its block ends the run by this exception, not by an abort.
struct TextRefused : std::bad_alloc {};
void ThrowTextRefused(const char*) { throw TextRefused(); }

// A field's text as the Create command reads it: "+" in front, up to the first zero byte.
int32_t FieldNumber(StandInForm& form, int id) {
    std::string text(static_cast<std::size_t>(form.FieldLength(id)) + 1, '\0');
    form.FieldText(id, text);
    return FieldNumberFromDouble(TextToNumber(("+" + text).c_str()));
}

std::size_t HeapLimit(std::string_view part) {
    std::size_t limit = kHeapCeiling;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), limit);
    if (error != std::errc() || end == part.data()) limit = kHeapCeiling;
    return std::min(limit, kHeapCeiling);
}

uint32_t Le32(const uint8_t* at) {
    return at[0] | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void CheckHeader(const std::vector<uint8_t>& file, uint32_t samples) {
    static constexpr uint8_t kFormat[] = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                                          0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a'};
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + 4, "RIFF"));
    FUZZ_CHECK(Le32(&file[4]) == 36 + samples);
    FUZZ_CHECK(std::equal(std::begin(kFormat), std::end(kFormat), file.begin() + 8));
    FUZZ_CHECK(Le32(&file[40]) == samples);
}

// Every element holds its tone from phase 0 (or silence for a frequency without one), clipped
// to the image, and every gap is silent.
void CheckSamples(const std::vector<uint8_t>& file, std::string_view message, int32_t dot, int32_t frequency,
                  int32_t volume) {
    const uint32_t period = TonePeriod(frequency);
    std::vector<uint8_t> cycle(std::max<uint32_t>(period, 1), kSilence);
    for (uint32_t j = 0; j < period; ++j) cycle[j] = ToneSample(period, volume, j);

    const uint8_t* samples = file.data() + kWavHeaderSize;
    const int64_t count = static_cast<int64_t>(file.size() - kWavHeaderSize);
    const int64_t unit = int64_t{dot} * kSamplesPerMillisecond;
    int64_t at = 0;
    for (char byte : message) {
        const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(byte));
        if (entry == nullptr) continue;
        for (std::size_t k = 0; k < entry->sequence.size(); ++k) {
            const int64_t element = unit * (entry->sequence[k] == '-' ? 3 : 1);
            const int64_t gap = unit * (k + 1 == entry->sequence.size() ? 3 : 1);
            for (int64_t j = 0; j < element && at + j < count; ++j) {
                FUZZ_CHECK(samples[at + j] == cycle[static_cast<std::size_t>(j % static_cast<int64_t>(cycle.size()))]);
            }
            at += element;
            for (int64_t j = 0; j < gap && at + j < count; ++j) FUZZ_CHECK(samples[at + j] == kSilence);
            at += gap;
        }
    }
    FUZZ_CHECK(at == count + 3 * unit);  // the last letter gap lies past the end
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzRuntimeStarted();
    RuntimeSetFatalReporter(ThrowTextRefused);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    const std::vector<std::string_view> parts = FuzzParts(FuzzBytes(data, size), 1 + kFieldCount + 1);
    const std::string_view message = parts[0];

    StandInForm form;
    form.SetField(kMessageFieldId, std::string(message));
    for (std::size_t k = 0; k < kFieldCount && k + 1 < parts.size(); ++k) {
        form.SetField(kFields[k], std::string(parts[k + 1]));
    }
    const std::size_t heapLimit = parts.size() > 1 + kFieldCount ? HeapLimit(parts[1 + kFieldCount]) : kHeapCeiling;
    form.AnswerSaveDialog(SaveTarget::Memory);

    std::optional<CreateOutcome> outcome;
    HeapLimitForTest(heapLimit);
    try {
        outcome = CreateCommand(form);
    } catch (const TextRefused&) {
        // A text value was refused its block: the run ends without a file.
    }
    HeapLimitForTest(SIZE_MAX);
    FUZZ_CHECK(RegistryCount() == startUp);

    const std::vector<uint8_t>& file = form.Saved();
    if (!outcome) {
        FUZZ_CHECK(file.empty());
        return 0;
    }

    // The model: the unit count from the code table, the numbers as the fields read them.
    int64_t units = -3;
    for (char byte : message) {
        if (const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(byte))) {
            units += 3 + static_cast<int64_t>(entry->sequence.size()) - 1;
            for (char element : entry->sequence) units += element == '-' ? 3 : 1;
        }
    }
    const int32_t dot = FieldNumber(form, kDotFieldId);
    // A dot length of 0 makes the header alone, whatever the message.
    const int64_t samples = dot == 0 ? 0 : units * dot * kSamplesPerMillisecond;
    CreateOutcome expected = CreateOutcome::Written;
    if (dot != 0 && units < 0) {
        expected = CreateOutcome::NothingToSound;
    } else if (samples < 0 || samples > INT32_MAX) {
        expected = CreateOutcome::TooLong;
    } else if (kWavHeaderSize + static_cast<std::size_t>(samples) > heapLimit) {
        expected = CreateOutcome::OutOfMemory;
    }
    FUZZ_CHECK(*outcome == expected);
    FUZZ_CHECK(form.Messages().size() == 1);
    FUZZ_CHECK(form.SaveDialogsShown() == (expected == CreateOutcome::Written ? 1 : 0));
    if (expected != CreateOutcome::Written) {
        FUZZ_CHECK(file.empty());
        return 0;
    }
    const auto count = static_cast<uint32_t>(samples);
    FUZZ_CHECK(file.size() == kWavHeaderSize + count);
    CheckHeader(file, count);
    if (count > 0) {
        CheckSamples(file, message, dot, FieldNumber(form, kFrequencyFieldId), FieldNumber(form, kVolumeFieldId));
    }
    return 0;
}
