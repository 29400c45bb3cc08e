// Every step of a save that can fail, and every block the heap gives a run, made to fail in
// turn: the user is told, the old file stays byte for byte, no temporary file is left, and the
// run gives back every text value and block it took.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "morse/create_command.h"
#include "support/stand_in_form.h"
#include "platform/heap.h"
#include "runtime/fatal.h"
#include "runtime/string_registry.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
constexpr int kDiskFull = ERROR_DISK_FULL;
constexpr int kInputOutput = ERROR_WRITE_FAULT;
constexpr int kNoAccess = ERROR_ACCESS_DENIED;
#else
#include <cerrno>
constexpr int kDiskFull = ENOSPC;
constexpr int kInputOutput = EIO;
constexpr int kNoAccess = EACCES;
#endif

namespace {

const std::string kOldFile = "an older recording that must outlive every failed save";
const std::string kOpenFailed = "\x83t\x83@\x83" "C\x83\x8B\x83I\x81[\x83v\x83\x93\x82\xC9\x8E\xB8\x94s!";
const std::string kWriteFailed = "\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s!";

[[noreturn]] void ThrowOutOfMemory(const char*) { throw std::bad_alloc(); }

// One run of "SOS" over an old file, with the faults armed by `arm`.
struct FaultRun {
    CreateOutcome outcome = CreateOutcome::Written;
    bool threw = false;
    std::vector<StandInForm::Message> messages;
    std::string file;
    std::vector<std::string> entries;
};

template <typename Arm>
FaultRun RunWithFaults(Arm arm) {
    TempFolder folder;
    const auto target = folder / "old.wav";
    WriteFileBytes(target, kOldFile);
    StandInForm form;
    form.SetField(kMessageFieldId, "SOS");
    form.AnswerSaveDialog(SaveTarget::File, target.string());

    const int32_t texts = RegistryCount();
    const std::size_t blocks = HeapLiveBlocks();
    RuntimeSetFatalReporter(ThrowOutOfMemory);
    FaultRun run;
    arm();
    try {
        run.outcome = CreateCommand(form);
    } catch (const std::bad_alloc&) {
        run.threw = true;
    }
    FaultDisarmAll();
    RuntimeSetFatalReporter(nullptr);
    EXPECT_EQ(RegistryCount(), texts) << "every text value of the run is released";
    EXPECT_EQ(HeapLiveBlocks(), blocks) << "the image and every text value's block are freed";
    run.messages = form.Messages();
    const auto bytes = ReadFileBytes(target);
    run.file.assign(bytes.begin(), bytes.end());
    run.entries = FolderEntries(folder.path());
    return run;
}

TEST(FaultInjection, EveryStepOfASaveFailsCleanly) {
    struct Case {
        const char* what;
        FaultStep step;
        int occurrence;
        int error;
        CreateOutcome outcome;
        const std::string& message;
    };
    const Case cases[] = {
        {"the temporary file cannot be made", FaultStep::CreateTemporary, 1, kDiskFull, CreateOutcome::OpenFailed,
         kOpenFailed},
        {"the write fails", FaultStep::Write, 1, kDiskFull, CreateOutcome::WriteFailed, kWriteFailed},
        {"a short write, then a failed one", FaultStep::Write, 2, kDiskFull, CreateOutcome::WriteFailed, kWriteFailed},
        {"the flush fails", FaultStep::Flush, 1, kInputOutput, CreateOutcome::WriteFailed, kWriteFailed},
        {"the close fails", FaultStep::Close, 1, kInputOutput, CreateOutcome::WriteFailed, kWriteFailed},
        {"the replace fails", FaultStep::Replace, 1, kNoAccess, CreateOutcome::OpenFailed, kOpenFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FaultRun run = RunWithFaults([&c] {
            FaultArm(c.step, c.occurrence, c.error);
            FaultArm(FaultStep::ShortWrite, 1, 0);
        });
        EXPECT_EQ(run.outcome, c.outcome);
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_EQ(run.messages[0].text, c.message);
        EXPECT_NE(run.messages[0].cause.find(SystemErrorText(c.error)), std::string::npos) << run.messages[0].cause;
        EXPECT_EQ(run.file, kOldFile);
        EXPECT_EQ(run.entries, std::vector<std::string>{"old.wav"}) << "no temporary file is left";
    }
}

TEST(FaultInjection, ShortWritesAloneStillWriteEveryByte) {
    const FaultRun run = RunWithFaults([] { FaultArm(FaultStep::ShortWrite, 1, 0); });
    EXPECT_EQ(run.outcome, CreateOutcome::Written);
    EXPECT_EQ(run.file.size(), 21644u);
    EXPECT_EQ(run.file.substr(0, 4), "RIFF");
    EXPECT_EQ(run.entries, std::vector<std::string>{"old.wav"});
}

// Each block the run asks of the heap, refused in turn, until the run needs no more.
TEST(FaultInjection, EveryAllocationOfARunFailsCleanly) {
    int refusals = 0;
    for (int occurrence = 1; occurrence < 1000; ++occurrence) {
        SCOPED_TRACE("allocation " + std::to_string(occurrence));
        bool fired = false;
        const FaultRun run = RunWithFaults([&] { FaultArm(FaultStep::Allocation, occurrence, 0); });
        fired = run.threw || run.outcome != CreateOutcome::Written;
        if (!fired) {
            EXPECT_EQ(run.file.size(), 21644u) << "a run past the last allocation writes the file";
            break;
        }
        ++refusals;
        EXPECT_EQ(run.file, kOldFile);
        EXPECT_EQ(run.entries, std::vector<std::string>{"old.wav"});
        if (!run.threw) {
            EXPECT_EQ(run.outcome, CreateOutcome::OutOfMemory) << "only the image may fail without a throw";
            ASSERT_EQ(run.messages.size(), 1u);
        }
    }
    EXPECT_GT(refusals, 10) << "the run's text values and its image were each refused";
}

}  // namespace
