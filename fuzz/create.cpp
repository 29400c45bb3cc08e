// The whole Create command, as one click of the window runs it, on arbitrary field texts and
// message bytes, through the stand-in form with its save dialog answering "into memory"; with
// another timing, the same fields read the same way and made into audio by Synthesize.
//
// The input is cut at zero bytes into parts: the message first (the window's field holds no
// zero byte), then the numeric fields in the order of kFields, then the largest heap block that
// may be given, in bytes (at most kHeapCeiling), then the command line's timing: "w" keeps word
// gaps, and a number after it is a Farnsworth overall speed; then the code table: "p" is the table
// with punctuation and prosigns. A part that is absent keeps the form's start-up text ("100",
// "1000", "50"), the ceiling, the window's timing or the window's table: "SOS" alone is the worked
// example. A new part goes at the end, where the older inputs still read as before.
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
#include "morse/field_text.h"
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
CreateOutcome CreateWithStyle(StandInForm& form, const RunStyle& style, CodeSet codes) {
    TextVar message;
    TextVar fieldText;
    ReadField(form, kMessageFieldId, message);
    SynthesisRequest request;
    request.message = TextView(message.Get());
    request.dotLength = ReadFieldNumber(form, kDotFieldId, fieldText);
    request.frequency = ReadFieldNumber(form, kFrequencyFieldId, fieldText);
    request.volume = ReadFieldNumber(form, kVolumeFieldId, fieldText);
    request.style = style;
    request.codes = codes;
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

// The sounded characters, worked out here from the message bytes, each as its elements and
// whether a word gap comes before it. The message is read character by character from its start
// (a lead byte before a byte that cannot end a character stands alone); with the window's table
// that sounds the same bytes as its byte-by-byte pass, since no byte with a code starts a
// double-byte character. A double-byte character sounds as its second byte when that has a code
// in the window's table; with word gaps kept, whitespace (blank, tab, line breaks,
// the ideographic space 81 40) between two sounded characters parts words. With punctuation a
// prosign, '<' ASCII letters '>', is one character of its letters' elements run on.
struct ModelCharacter {
    std::string_view elementsOf;  // the letters whose elements it sounds
    bool afterSpace = false;
};

bool IsLead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool IsTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The size of the prosign at `k`, 0 for none.
std::size_t ProsignAt(std::string_view message, std::size_t k) {
    if (message[k] != '<') return 0;
    std::size_t end = k + 1;
    while (end < message.size() && IsLetter(message[end])) ++end;
    return end > k + 1 && end < message.size() && message[end] == '>' ? end + 1 - k : 0;
}

std::vector<ModelCharacter> ModelCharacters(std::string_view message, const RunStyle& style, CodeSet codes) {
    std::vector<ModelCharacter> found;
    bool space = false;
    for (std::size_t k = 0; k < message.size();) {
        const auto byte = static_cast<unsigned char>(message[k]);
        const std::size_t prosign = codes == CodeSet::Punctuation ? ProsignAt(message, k) : 0;
        const bool pair = IsLead(byte) && k + 1 < message.size() && IsTrail(static_cast<unsigned char>(message[k + 1]));
        const std::size_t size = prosign != 0 ? prosign : pair ? 2 : 1;
        const std::string_view character = message.substr(k, size);
        k += size;
        const bool white = character == " " || character == "\t" || character == "\n" || character == "\r" ||
                           character == "\x81\x40";
        if (style.words == WordBreaks::Kept && white) {
            space = !found.empty();
            continue;
        }
        std::string_view letters = prosign != 0 ? character.substr(1, size - 2) : character.substr(size - 1);
        const bool sounds = prosign != 0 || (size == 2 ? CodeLookup(static_cast<unsigned char>(letters[0])) != nullptr
                                                       : CodeTableOf(codes).Lookup(byte) != nullptr);
        if (!sounds) continue;
        found.push_back({letters, space});
        space = false;
    }
    return found;
}

// Each element's start and length, and the message's length in samples.
struct Layout {
    std::vector<std::pair<int64_t, int64_t>> elements;
    int64_t length = 0;
};

Layout LayOut(std::string_view message, const RunStyle& style, CodeSet codes, const Timing& timing) {
    Layout layout;
    int64_t at = 0;
    bool first = true;
    for (const ModelCharacter& character : ModelCharacters(message, style, codes)) {
        if (!first) at += character.afterSpace ? timing.wordGap : timing.characterGap;
        bool firstElement = true;
        for (char letter : character.elementsOf) {
            for (char element : CodeTableOf(codes).Lookup(static_cast<unsigned char>(letter))->sequence) {
                if (!firstElement) at += timing.unit;
                firstElement = false;
                const int64_t length = timing.unit * (element == '-' ? 3 : 1);
                layout.elements.emplace_back(at, length);
                at += length;
            }
        }
        first = false;
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
    const std::vector<std::string_view> parts = FuzzParts(FuzzBytes(data, size), 1 + kFieldCount + 3);
    const std::string_view message = parts[0];

    StandInForm form;
    form.SetField(kMessageFieldId, std::string(message));
    for (std::size_t k = 0; k < kFieldCount && k + 1 < parts.size(); ++k) {
        form.SetField(kFields[k], std::string(parts[k + 1]));
    }
    const std::size_t heapLimit = parts.size() > 1 + kFieldCount ? HeapLimit(parts[1 + kFieldCount]) : kHeapCeiling;
    const RunStyle style = parts.size() > 2 + kFieldCount ? StyleOf(parts[2 + kFieldCount]) : RunStyle{};
    const CodeSet codes =
        parts.size() > 3 + kFieldCount && parts[3 + kFieldCount] == "p" ? CodeSet::Punctuation : CodeSet::Window;
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
        const bool window = style.IsWindowTiming() && codes == CodeSet::Window;
        outcome = window ? CreateCommand(form) : CreateWithStyle(form, style, codes);
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
    const Layout layout = LayOut(message, style, codes, style.TimingFor(dot));
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
