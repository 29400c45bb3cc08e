// The whole Create command, as one click of the window runs it, on arbitrary field texts and
// message bytes, through the stand-in form with its save dialog answering "into memory"; with
// another timing, the same fields read the same way and made into audio by Synthesize.
//
// The input is cut at zero bytes into parts: the message first (the window's field holds no
// zero byte), then the numeric fields in the order of kFields, then the largest heap block that
// may be given, in bytes (at most kHeapCeiling), then the command line's timing: "w" keeps word
// gaps, and a number after it is a Farnsworth overall speed. A part that is absent keeps the
// form's start-up text ("100", "1000", "50"), the ceiling or the window's timing: "SOS" alone is
// the worked example. A new part goes at the end, where the older inputs still read as before.
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
#include "morse/synthesis.h"
#include "morse/tone.h"
#include "support/stand_in_form.h"
#include "platform/heap.h"
#include "runtime/fatal.h"
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

// A field's number as the Create command reads it.
int32_t FieldNumber(StandInForm& form, int id) {
    TextVar text;
    return ReadFieldNumber(form, id, text);
}

CreateOutcome OutcomeOf(SynthesisOutcome made) {
    switch (made) {
        case SynthesisOutcome::Written: return CreateOutcome::Written;
        case SynthesisOutcome::NothingToSound: return CreateOutcome::NothingToSound;
        case SynthesisOutcome::TooLong: return CreateOutcome::TooLong;
        case SynthesisOutcome::OutOfMemory: break;
    }
    return CreateOutcome::OutOfMemory;
}

// The fields read as the Create command reads them, in its order, made into audio with another
// timing; a file made is "saved" into the form's memory, and the outcome shown as one message.
CreateOutcome CreateWithStyle(StandInForm& form, const RunStyle& style) {
    TextVar message;
    TextVar fieldText;
    ReadField(form, kMessageFieldId, message);
    SynthesisRequest request;
    request.message = TextView(message.Get());
    request.dotLength = ReadFieldNumber(form, kDotFieldId, fieldText);
    request.frequency = ReadFieldNumber(form, kFrequencyFieldId, fieldText);
    request.volume = ReadFieldNumber(form, kVolumeFieldId, fieldText);
    request.style = style;
    const Synthesis audio = Synthesize(request);
    if (audio.outcome == SynthesisOutcome::Written) (void)form.Save(audio.Bytes());
    form.ShowMessage("", "", MessageIcon::Information, {});
    return OutcomeOf(audio.outcome);
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
    FUZZ_CHECK(Le32(&file[4]) == 36 + samples + samples % 2);  // an odd data chunk is padded
    FUZZ_CHECK(std::equal(std::begin(kFormat), std::end(kFormat), file.begin() + 8));
    FUZZ_CHECK(Le32(&file[40]) == samples);
}

RunStyle StyleOf(std::string_view part) {
    RunStyle style;
    if (part.empty() || part[0] != 'w') return style;
    style.words = WordBreaks::Kept;
    double overall = 0.0;
    const auto [end, error] = std::from_chars(part.data() + 1, part.data() + part.size(), overall);
    if (error == std::errc() && end != part.data() + 1 && overall > 0.0) style.overallWpm = overall;
    return style;
}

// Where the elements lie, worked out here from the message bytes: every byte with a code is
// sounded; with word gaps kept, whitespace (blank, tab, line breaks, the ideographic space 81 40
// as a character, read from the message's start) between two sounded characters makes the gap
// before the next a word gap. Returns each element's start and length, and the message's length
// in samples.
struct Layout {
    std::vector<std::pair<int64_t, int64_t>> elements;
    int64_t length = 0;
};

Layout LayOut(std::string_view message, const RunStyle& style, const Timing& timing) {
    Layout layout;
    int64_t at = 0;
    bool first = true;
    bool space = false;
    for (std::size_t k = 0; k < message.size(); ++k) {
        auto byte = static_cast<unsigned char>(message[k]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        const auto next = static_cast<unsigned char>(k + 1 < message.size() ? message[k + 1] : 0);
        if (style.words == WordBreaks::Kept && lead && next >= 0x40 && next <= 0xFC && next != 0x7F) {
            // A double-byte character: its second byte starts no other, and sounds if it has a code.
            ++k;
            if (byte == 0x81 && next == 0x40) {
                space = !first;
                continue;
            }
            byte = next;
        }
        if (style.words == WordBreaks::Kept && (byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r')) {
            space = !first;
            continue;
        }
        const CodeEntry* entry = CodeLookup(byte);
        if (entry == nullptr) continue;
        if (!first) at += space ? timing.wordGap : timing.characterGap;
        first = false;
        space = false;
        for (std::size_t e = 0; e < entry->sequence.size(); ++e) {
            if (e > 0) at += timing.unit;
            const int64_t element = timing.unit * (entry->sequence[e] == '-' ? 3 : 1);
            layout.elements.emplace_back(at, element);
            at += element;
        }
    }
    layout.length = at;
    return layout;
}

// Every element holds its tone from phase 0 (or silence for a frequency without one), and
// every other sample is silent.
void CheckSamples(const std::vector<uint8_t>& file, const Layout& layout, int32_t frequency, int32_t volume) {
    const uint32_t period = TonePeriod(frequency);
    std::vector<uint8_t> cycle(std::max<uint32_t>(period, 1), kSilence);
    for (uint32_t j = 0; j < period; ++j) cycle[j] = ToneSample(period, volume, j);
    std::vector<uint8_t> expected(Le32(&file[40]), kSilence);
    for (const auto& [start, length] : layout.elements) {
        for (int64_t j = 0; j < length; ++j) {
            expected[static_cast<std::size_t>(start + j)] = cycle[static_cast<std::size_t>(j % static_cast<int64_t>(cycle.size()))];
        }
    }
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), file.begin() + kWavHeaderSize));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzRuntimeStarted();
    RuntimeSetFatalReporter(ThrowTextRefused);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    const std::vector<std::string_view> parts = FuzzParts(FuzzBytes(data, size), 1 + kFieldCount + 2);
    const std::string_view message = parts[0];

    StandInForm form;
    form.SetField(kMessageFieldId, std::string(message));
    for (std::size_t k = 0; k < kFieldCount && k + 1 < parts.size(); ++k) {
        form.SetField(kFields[k], std::string(parts[k + 1]));
    }
    const std::size_t heapLimit = parts.size() > 1 + kFieldCount ? HeapLimit(parts[1 + kFieldCount]) : kHeapCeiling;
    const RunStyle style = parts.size() > 2 + kFieldCount ? StyleOf(parts[2 + kFieldCount]) : RunStyle{};
    // Farnsworth timing stretches the gaps only: the overall speed must stay below the
    // character speed, and the word gap fit a file, as the command line checks before a run.
    const int32_t dot = FieldNumber(form, kDotFieldId);
    if (style.overallWpm > 0.0 && (dot <= 0 || style.overallWpm >= WordsPerMinute(dot) ||
                                   FarnsworthWordGap(dot, style.overallWpm) > INT32_MAX)) {
        return 0;
    }
    form.AnswerSaveDialog(SaveTarget::Memory);

    std::optional<CreateOutcome> outcome;
    HeapLimitForTest(heapLimit);
    try {
        outcome = style.IsWindowTiming() ? CreateCommand(form) : CreateWithStyle(form, style);
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

    // The model: the layout of the elements, the numbers as the fields read them.
    const Layout layout = LayOut(message, style, style.TimingFor(dot));
    // A dot length of 0 makes the header alone, whatever the message.
    const int64_t samples = dot == 0 ? 0 : dot < 0 ? -1 : layout.length;
    CreateOutcome expected = CreateOutcome::Written;
    if (dot != 0 && layout.elements.empty()) {
        expected = CreateOutcome::NothingToSound;
    } else if (samples < 0 || samples > INT32_MAX) {
        expected = CreateOutcome::TooLong;
    } else if (kWavHeaderSize + static_cast<std::size_t>(samples + samples % 2) > heapLimit) {
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
    FUZZ_CHECK(file.size() == kWavHeaderSize + count + count % 2);
    FUZZ_CHECK(count % 2 == 0 || file.back() == 0);
    CheckHeader(file, count);
    if (count > 0) CheckSamples(file, layout, FieldNumber(form, kFrequencyFieldId), FieldNumber(form, kVolumeFieldId));
    return 0;
}
