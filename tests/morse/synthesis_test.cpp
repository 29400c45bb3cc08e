#include "morse/synthesis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morse/create_command.h"
#include "morse/field_text.h"
#include "support/stand_in_form.h"
#include "support/temp_folder.h"

namespace {

// One press of 作成!! with the window's four field texts: what it shows as the outcome, and the
// file it leaves (empty when it writes none).
struct WindowRun {
    CreateOutcome outcome;
    std::vector<uint8_t> file;
};

WindowRun WindowCreate(const std::string& message, const std::string& dot, const std::string& frequency,
                       const std::string& volume) {
    TempFolder folder;
    const auto target = folder / "window.wav";
    StandInForm form;
    form.SetFields(message, dot, frequency, volume);
    form.AnswerSaveDialog(SaveTarget::File, target.string());
    const CreateOutcome outcome = CreateCommand(form);
    return {outcome, std::filesystem::exists(target) ? ReadFileBytes(target) : std::vector<uint8_t>{}};
}

CreateOutcome WindowOutcomeOf(SynthesisOutcome outcome) {
    switch (outcome) {
        case SynthesisOutcome::Written: return CreateOutcome::Written;
        case SynthesisOutcome::NothingToSound: return CreateOutcome::NothingToSound;
        case SynthesisOutcome::TooLong: return CreateOutcome::TooLong;
        case SynthesisOutcome::OutOfMemory: break;
    }
    return CreateOutcome::OutOfMemory;
}

// For each row of field texts, the request of plain values that a front end makes from them gives
// the outcome the window shows and the bytes of the file it saves: the texts' wraps, signs,
// fractions and trailing characters included.
TEST(Synthesis, ARequestOfTheFieldsValuesGivesTheWindowsFile) {
    // The size of the file, counted by hand in units of the dot (1 a dot and each gap inside a
    // character, 3 a dash and each gap between characters, 8 samples a millisecond): a fault
    // common to both paths still shows in it. 0: no file.
    struct Row {
        const char* message;
        const char* dot;
        const char* frequency;
        const char* volume;
        std::size_t fileSize;
    };
    const Row rows[] = {
        {"SOS", "100", "1000", "50", 44 + 27 * 800},
        {"a b", "100", "1000", "50", 44 + 17 * 800},                    // AB: the blank is left out
        {"\xB2\xDB\xCA ok", "37", "1500", "127", 44 + 57 * 296},       // ｲﾛﾊOK
        {"PARIS", "1.9", "+700", "50x", 44 + 43 * 8},
        {"E", "4294967301", "600", "4294967423", 44 + 1 * 40},         // wraps to 5 ms and volume 127
        {"ET", "20", "2667", "200", 44 + 7 * 160},                     // a period of 3 samples; volume beyond 127
        {"(A)", "10", "0", "50", 44 + 45 * 80},                        // no period: silent elements
        {"E", "0", "1000", "50", 44},                                  // the header alone
        {"E", "-5", "1000", "50", 44},                                 // "-5" reads as 0
        {"\x82\xA0", "100", "1000", "50", 0},                          // nothing to sound
        {"", "100", "1000", "50", 0},
        {"EEEE", "536870912", "1000", "50", 0},                        // too long
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.message) + " / " + row.dot + " / " + row.frequency + " / " + row.volume);
        const WindowRun window = WindowCreate(row.message, row.dot, row.frequency, row.volume);
        SynthesisRequest request;
        request.message = row.message;
        request.dotLength = FieldTextRead(std::string_view(row.dot)).value;
        request.frequency = FieldTextRead(std::string_view(row.frequency)).value;
        request.volume = FieldTextRead(std::string_view(row.volume)).value;
        const Synthesis made = Synthesize(request);
        EXPECT_EQ(WindowOutcomeOf(made.outcome), window.outcome);
        EXPECT_EQ(std::vector<uint8_t>(made.Bytes().begin(), made.Bytes().end()), window.file);
        EXPECT_EQ(window.file.size(), row.fileSize);
    }
}

// 48,820,341 zeros and "EE" at a dot of 2,146,872,456 ms: units x dot x 8 samples is 2^64 + 585,920,
// which wraps 64 bits to a count that fits a file. The run is refused, not made 73 s long.
TEST(Synthesis, ALengthBeyondSixtyFourBitsIsTooLong) {
    std::string message;
    message.resize(48820341, '0');
    message += "EE";
    for (const bool wordGaps : {false, true}) {
        SynthesisRequest request;
        request.message = message;
        request.dotLength = 2146872456;
        request.style.words = wordGaps ? WordBreaks::Kept : WordBreaks::Dropped;
        EXPECT_EQ(SynthesisPlanMake(request).refusal, SynthesisOutcome::TooLong) << "word gaps " << wordGaps;
    }
}

}  // namespace
