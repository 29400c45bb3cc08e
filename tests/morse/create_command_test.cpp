#include "morse/create_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morse/tone.h"
#include "support/stand_in_form.h"
#include "platform/heap.h"
#include "runtime/string_registry.h"
#include "support/temp_folder.h"

namespace {

const std::string kWritten = "wav\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8Fo\x97\xCD\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
const std::string kDone = "\x8A\xAE\x97\xB9";
const std::string kSorry = "\x8E" "c\x94O";
const std::string kOpenFailed = "\x83t\x83@\x83" "C\x83\x8B\x83I\x81[\x83v\x83\x93\x82\xC9\x8E\xB8\x94s!";
const std::string kWriteFailed =
    "\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s!";
const std::string kNothingToSound =
    "\x83\x82\x81[\x83\x8B\x83X\x90M\x8D\x86\x82\xC9\x82\xC5\x82\xAB\x82\xE9\x95\xB6\x8E\x9A\x82\xAA"
    "\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B";
const std::string kTooLong = "\x89\xB9\x90\xBA\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81" "B";

// The header of a file of `samples` samples, written out by hand.
std::vector<uint8_t> Header(uint32_t samples) {
    auto le32 = [](uint32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    };
    std::vector<uint8_t> h = {'R', 'I', 'F', 'F'};
    for (uint8_t b : le32(samples + 36)) h.push_back(b);
    const uint8_t middle[] = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0,
                              0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a'};
    h.insert(h.end(), std::begin(middle), std::end(middle));
    for (uint8_t b : le32(samples)) h.push_back(b);
    return h;
}

// A whole file at the defaults: the 1000 Hz, volume 50 pattern in each listed element span.
std::vector<uint8_t> DefaultFile(uint32_t samples, const std::vector<std::pair<uint32_t, uint32_t>>& elements) {
    static const uint8_t kPattern[8] = {128, 163, 178, 163, 128, 92, 78, 92};
    std::vector<uint8_t> file = Header(samples);
    file.resize(44 + samples, 128);
    for (const auto& [start, length] : elements) {
        for (uint32_t j = 0; j < length; ++j) file[44 + start + j] = kPattern[j % 8];
    }
    return file;
}

struct RunResult {
    CreateOutcome outcome;
    std::vector<StandInForm::Message> messages;
    int dialogs;
};

RunResult CreateWith(const std::string& message, const std::filesystem::path& target, const std::string& dot = "100",
               const std::string& frequency = "1000", const std::string& volume = "50") {
    StandInForm form;
    form.SetFields(message, dot, frequency, volume);
    form.AnswerSaveDialog(SaveTarget::File, target.string());
    const int32_t before = RegistryCount();
    const CreateOutcome outcome = CreateCommand(form);
    EXPECT_EQ(RegistryCount(), before) << "every text value of the run is released";
    EXPECT_EQ(RegistryCount(), kReservedTextCount);
    return {outcome, form.Messages(), form.SaveDialogsShown()};
}

void ExpectMessage(const RunResult& run, const std::string& text, const std::string& caption, MessageIcon icon) {
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, text);
    EXPECT_EQ(run.messages[0].caption, caption);
    EXPECT_EQ(run.messages[0].icon, icon);
}

TEST(CreateCommand, WritesTheWorkedExamplesByteForByte) {
    struct Case {
        std::string message;
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"E", DefaultFile(800, {{0, 800}})},
        {"ET", DefaultFile(5600, {{0, 800}, {3200, 2400}})},
        {"A", DefaultFile(4000, {{0, 800}, {1600, 2400}})},
        {"SOS", DefaultFile(21600, {{0, 800}, {1600, 800}, {3200, 800}, {6400, 2400}, {9600, 2400}, {12800, 2400},
                                    {17600, 800}, {19200, 800}, {20800, 800}})},
        {"a b", DefaultFile(13600, {{0, 800}, {1600, 2400}, {6400, 2400}, {9600, 800}, {11200, 800}, {12800, 800}})},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const auto target = folder / "out.wav";
        const RunResult run = CreateWith(c.message, target);
        EXPECT_EQ(run.outcome, CreateOutcome::Written);
        ExpectMessage(run, kWritten, kDone, MessageIcon::Information);
        EXPECT_EQ(ReadFileBytes(target), c.file) << c.message;
    }
    EXPECT_EQ(ReadFileBytes(folder / "out.wav").size(), 13644u);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"out.wav"}) << "no temporary file is left";
}

TEST(CreateCommand, TwoRunsWriteTheSameBytes) {
    TempFolder folder;
    CreateWith("\xB2\xDB\xCA ok", folder / "1.wav", "37", "1500", "127");
    CreateWith("\xB2\xDB\xCA ok", folder / "2.wav", "37", "1500", "127");
    EXPECT_EQ(ReadFileBytes(folder / "1.wav"), ReadFileBytes(folder / "2.wav"));
    EXPECT_EQ(ReadFileBytes(folder / "1.wav").size(), 44u + 8u * 37u * (31u + 3u + 14u + 12u - 3u));
}

TEST(CreateCommand, DotLengthZeroWritesTheHeaderAloneEvenForAnEmptyMessage) {
    TempFolder folder;
    for (const std::string message : {"SOS", "", " . "}) {
        const RunResult run = CreateWith(message, folder / "h.wav", "0");
        EXPECT_EQ(run.outcome, CreateOutcome::Written) << '"' << message << '"';
        EXPECT_EQ(ReadFileBytes(folder / "h.wav"), Header(0));
    }
}

TEST(CreateCommand, RefusesBeforeAnyDialogWhatNoImageCanHold) {
    struct Case {
        std::string message;
        std::string dot;
        CreateOutcome outcome;
        const std::string& text;
    };
    const Case cases[] = {
        {"", "100", CreateOutcome::NothingToSound, kNothingToSound},
        {" .,!", "100", CreateOutcome::NothingToSound, kNothingToSound},
        {"\x82\xA0\x82\xA2", "100", CreateOutcome::NothingToSound, kNothingToSound},  // full-width あい
        {"", "4294967295", CreateOutcome::NothingToSound, kNothingToSound},  // -1 would make -3 x -8 = 24
        {"E", "268435456", CreateOutcome::TooLong, kTooLong},                // wraps to -2^31
        {"E", "536870912", CreateOutcome::TooLong, kTooLong},                // wraps to 0
        {"E", "4294967295", CreateOutcome::TooLong, kTooLong},               // dot length -1
        {"SOS", "9942054", CreateOutcome::TooLong, kTooLong},                // 27 x 8 x d just past 2^31 - 1
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const RunResult run = CreateWith(c.message, folder / "never.wav", c.dot);
        EXPECT_EQ(run.outcome, c.outcome) << '"' << c.message << "\" dot " << c.dot;
        EXPECT_EQ(run.dialogs, 0);
        ExpectMessage(run, c.text, kSorry, MessageIcon::Exclamation);
    }
    EXPECT_TRUE(FolderEntries(folder.path()).empty());
}

TEST(CreateCommand, CancellingWritesNothingShowsNothingAndTheNextRunWorks) {
    TempFolder folder;
    StandInForm form;
    form.SetField(kMessageFieldId, "SOS");
    form.AnswerSaveDialog(SaveTarget::Cancelled);
    EXPECT_EQ(CreateCommand(form), CreateOutcome::Cancelled);
    EXPECT_EQ(form.SaveDialogsShown(), 1);
    EXPECT_TRUE(form.Messages().empty());
    EXPECT_TRUE(FolderEntries(folder.path()).empty());
    form.AnswerSaveDialog(SaveTarget::File, (folder / "next.wav").string());
    EXPECT_EQ(CreateCommand(form), CreateOutcome::Written);
    EXPECT_EQ(ReadFileBytes(folder / "next.wav").size(), 21644u);
}

TEST(CreateCommand, AFolderThatDoesNotExistIsAnOpenFailureThatSaysWhy) {
    TempFolder folder;
    const auto target = folder / "missing" / "x.wav";
    const RunResult run = CreateWith("E", target);
    EXPECT_EQ(run.outcome, CreateOutcome::OpenFailed);
    ExpectMessage(run, kOpenFailed, kSorry, MessageIcon::Exclamation);
    EXPECT_EQ(run.messages[0].cause.rfind(target.string() + ": ", 0), 0u) << run.messages[0].cause;
    EXPECT_GT(run.messages[0].cause.size(), target.string().size() + 2) << "the system's reason follows";
    EXPECT_TRUE(FolderEntries(folder.path()).empty());
}

TEST(CreateCommand, AnImageTheHeapCannotGiveIsOutOfMemoryNotTooLong) {
    const std::string kOutOfMemory =
        "\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B";
    TempFolder folder;
    HeapLimitForTest(100000);
    const RunResult run = CreateWith("SOS", folder / "never.wav");  // 21644 bytes fit, 216044 do not
    const RunResult longer = CreateWith("SOS", folder / "never.wav", "1000");
    HeapLimitForTest(SIZE_MAX);
    EXPECT_EQ(run.outcome, CreateOutcome::Written);
    EXPECT_EQ(longer.outcome, CreateOutcome::OutOfMemory);
    EXPECT_EQ(longer.dialogs, 0);
    ExpectMessage(longer, kOutOfMemory, kSorry, MessageIcon::Exclamation);
}

TEST(CreateCommand, ReplacesALongerFileEntirely) {
    TempFolder folder;
    WriteFileBytes(folder / "old.wav", std::string(100000, 'x'));
    EXPECT_EQ(CreateWith("E", folder / "old.wav").outcome, CreateOutcome::Written);
    EXPECT_EQ(ReadFileBytes(folder / "old.wav"), DefaultFile(800, {{0, 800}}));
}

TEST(CreateCommand, ADiskThatIsFullIsAWriteFailure) {
#ifdef _WIN32
    const std::filesystem::path full = "Z:\\dev\\full";  // present under Wine only
#else
    const std::filesystem::path full = "/dev/full";
#endif
    if (!std::ofstream(full, std::ios::binary)) GTEST_SKIP() << full << " cannot be opened on this system";
    const RunResult run = CreateWith("SOS", full);
    EXPECT_EQ(run.outcome, CreateOutcome::WriteFailed);
    ExpectMessage(run, kWriteFailed, kSorry, MessageIcon::Exclamation);
}

TEST(CreateCommand, FrequenciesWithoutAPeriodWriteSilentElements) {
    TempFolder folder;
    for (const std::string frequency : {"0", "9000", "4294967295"}) {
        EXPECT_EQ(CreateWith("SOS", folder / "s.wav", "100", frequency).outcome, CreateOutcome::Written);
        const auto file = ReadFileBytes(folder / "s.wav");
        ASSERT_EQ(file.size(), 21644u);
        EXPECT_TRUE(std::all_of(file.begin() + 44, file.end(), [](uint8_t s) { return s == kSilence; })) << frequency;
    }
}

}  // namespace
