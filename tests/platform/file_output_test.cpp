#include "platform/file_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const std::vector<uint8_t> kNewBytes(5000, 0x5A);
const std::string kOldBytes = "the old file, which must survive a failed save";

std::span<const uint8_t> NewBytes() { return kNewBytes; }

std::string Read(const std::filesystem::path& path) {
    const auto bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(FileWriteWhole, WritesANewFileAndReplacesAnOldOne) {
    TempFolder folder;
    EXPECT_EQ(FileWriteWhole((folder / "a.wav").string().c_str(), NewBytes()).outcome, FileOutcome::Written);
    EXPECT_EQ(ReadFileBytes(folder / "a.wav"), kNewBytes);
    WriteFileBytes(folder / "b.wav", std::string(20000, 'o'));
    EXPECT_EQ(FileWriteWhole((folder / "b.wav").string().c_str(), NewBytes()).outcome, FileOutcome::Written);
    EXPECT_EQ(ReadFileBytes(folder / "b.wav"), kNewBytes);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 2u);
}

TEST(FileWriteWhole, AFolderOrNoNameIsNotAFile) {
    TempFolder folder;
    EXPECT_EQ(FileWriteWhole(folder.path().string().c_str(), NewBytes()).outcome, FileOutcome::OpenFailed);
    EXPECT_EQ(FileWriteWhole("", NewBytes()).outcome, FileOutcome::OpenFailed);
    EXPECT_EQ(FileWriteWhole((folder / "no" / "such" / "x.wav").string().c_str(), NewBytes()).outcome, FileOutcome::OpenFailed);
    EXPECT_TRUE(FolderEntries(folder.path()).empty());
}

// Two files staged together: nothing changes until a commit, and what is not committed leaves
// no trace.
TEST(StagedFile, NothingChangesUntilItIsCommitted) {
    TempFolder folder;
    const auto first = folder / "a.wav";
    const auto second = folder / "a.txt";
    WriteFileBytes(first, kOldBytes);
    WriteFileBytes(second, kOldBytes);
    {
        StagedFile wav;
        StagedFile labels;
        ASSERT_EQ(wav.Stage(first.string().c_str(), NewBytes()).outcome, FileOutcome::Written);
        ASSERT_EQ(labels.Begin(second.string().c_str()).outcome, FileOutcome::Written);
        ASSERT_EQ(labels.Append(NewBytes()).outcome, FileOutcome::Written);
        ASSERT_EQ(labels.Finish().outcome, FileOutcome::Written);
        EXPECT_EQ(FolderEntries(folder.path()).size(), 4u) << "two temporary files beside the targets";
        EXPECT_EQ(Read(first), kOldBytes);
        EXPECT_EQ(wav.Commit().outcome, FileOutcome::Written);
    }
    EXPECT_EQ(ReadFileBytes(first), kNewBytes);
    EXPECT_EQ(Read(second), kOldBytes);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 2u) << "the uncommitted one is gone";
}

TEST(FileTargetsMatch, NamesOfOneFile) {
    TempFolder folder;
    WriteFileBytes(folder / "a.wav", kOldBytes);
    WriteFileBytes(folder / "b.wav", kOldBytes);
    std::filesystem::create_directory(folder / "sub");
    const auto at = [&folder](const std::string& name) { return (folder / name).string(); };
    const struct {
        std::string first, second;
        bool match;
    } cases[] = {
        {at("a.wav"), at("a.wav"), true},          {at("a.wav"), at("sub/../a.wav"), true},
        {at("new.txt"), at("sub/../new.txt"), true}, {at("a.wav"), at("b.wav"), false},
        {at("new.txt"), at("new.wav"), false},     {at("new.txt"), at("sub/new.txt"), false},
        {at("no/x.txt"), at("other/x.txt"), false}, {at("a.wav"), at("sub/a.wav"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileTargetsMatch(c.first.c_str(), c.second.c_str()), c.match) << c.first << " " << c.second;
    }
}

#ifdef _WIN32

TEST(FileWriteWhole, AFileHeldOpenElsewhereIsLeftAlone) {
    TempFolder folder;
    const auto target = folder / "held.wav";
    WriteFileBytes(target, kOldBytes);
    HANDLE holder = CreateFileA(target.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileWriteWhole(target.string().c_str(), NewBytes()).outcome, FileOutcome::OpenFailed);
    CloseHandle(holder);
    EXPECT_EQ(Read(target), kOldBytes);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 1u) << "no temporary file is left";
}

// A path of at most MAX_PATH - 1 characters whose folder leaves no room for a temporary name
// beside it: the file is still written, new or replaced, and nothing else is left there.
TEST(FileWriteWhole, AFolderNearTheLimitOnAPathStillTakesTheFile) {
    TempFolder folder;
    auto deep = folder.path();
    while (deep.string().size() < 248) deep /= std::string(std::min<std::size_t>(40, 248 - deep.string().size()), 'd');
    ASSERT_EQ(deep.string().size(), 249u);
    std::filesystem::create_directories(deep);
    const auto fresh = deep / "a.wav";
    const auto old = deep / "b.wav";
    WriteFileBytes(old, std::string(20000, 'o'));
    for (const auto& target : {fresh, old}) {
        ASSERT_LT(target.string().size(), std::size_t{MAX_PATH});
        EXPECT_EQ(FileWriteWhole(target.string().c_str(), NewBytes()).outcome, FileOutcome::Written) << target;
        EXPECT_EQ(ReadFileBytes(target), kNewBytes);
    }
    EXPECT_EQ(FolderEntries(deep).size(), 2u);
}

TEST(FileWriteWhole, DevicesAreWrittenWhereTheyAre) {
    EXPECT_EQ(FileWriteWhole("NUL", NewBytes()).outcome, FileOutcome::Written);
    // Wine shows the host's devices on drive Z:; a full disk fails the write itself.
    HANDLE full = CreateFileA("Z:\\dev\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no Z:\\dev\\full outside Wine";
    CloseHandle(full);
    EXPECT_EQ(FileWriteWhole("Z:\\dev\\full", NewBytes()).outcome, FileOutcome::WriteFailed);
}

#else

bool IsRoot() { return ::geteuid() == 0; }

// Read-only for everyone, root included: the immutable attribute. Returns false where the file
// system has no such attribute.
bool MakeImmutable(const std::filesystem::path& path, bool on) {
    const std::string command = std::string("chattr ") + (on ? "+i" : "-i") + " '" + path.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

TEST(FileWriteWhole, AReadOnlyFileIsLeftUnchanged) {
    TempFolder folder;
    const auto target = folder / "locked.wav";
    WriteFileBytes(target, kOldBytes);
    if (IsRoot()) {
        if (!MakeImmutable(target, true)) GTEST_SKIP() << "this file system has no immutable attribute";
    } else {
        std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    }
    const FileOutcome outcome = FileWriteWhole(target.string().c_str(), NewBytes()).outcome;
    if (IsRoot()) MakeImmutable(target, false);
    EXPECT_EQ(outcome, FileOutcome::OpenFailed);
    EXPECT_EQ(Read(target), kOldBytes);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 1u);
}

TEST(FileWriteWhole, AFolderThatTakesNoNewFiles) {
    if (!IsRoot()) GTEST_SKIP() << "making a folder immutable needs root";
    TempFolder folder;
    WriteFileBytes(folder / "existing.wav", kOldBytes);
    if (!MakeImmutable(folder.path(), true)) GTEST_SKIP() << "this file system has no immutable attribute";
    const FileOutcome fresh = FileWriteWhole((folder / "new.wav").string().c_str(), NewBytes()).outcome;
    const FileOutcome existing = FileWriteWhole((folder / "existing.wav").string().c_str(), NewBytes()).outcome;
    MakeImmutable(folder.path(), false);
    EXPECT_EQ(fresh, FileOutcome::OpenFailed);
    EXPECT_EQ(existing, FileOutcome::Written) << "a writable file in such a folder is still written";
    EXPECT_EQ(ReadFileBytes(folder / "existing.wav"), kNewBytes);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 1u);
}

// A write that fails part-way, as on a full disk: the file-size limit makes the kernel refuse
// every byte past it.
TEST(FileWriteWhole, AFailedWriteLeavesTheOldFileByteForByte) {
    TempFolder folder;
    const auto target = folder / "keep.wav";
    WriteFileBytes(target, kOldBytes);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileOutcome outcome = FileWriteWhole(target.string().c_str(), NewBytes()).outcome;
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_NE(::signal(SIGXFSZ, previous), SIG_ERR);
    EXPECT_EQ(outcome, FileOutcome::WriteFailed);
    EXPECT_EQ(Read(target), kOldBytes);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"keep.wav"}) << "the temporary file is removed";
}

TEST(FileWriteWhole, DevicesAreWrittenWhereTheyAre) {
    EXPECT_EQ(FileWriteWhole("/dev/null", NewBytes()).outcome, FileOutcome::Written);
    EXPECT_EQ(FileWriteWhole("/dev/full", NewBytes()).outcome, FileOutcome::WriteFailed);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST(FileWriteWhole, ALinkKeepsPointingAtTheFileItNames) {
    TempFolder folder;
    WriteFileBytes(folder / "real.wav", kOldBytes);
    std::filesystem::create_symlink(folder / "real.wav", folder / "link.wav");
    EXPECT_EQ(FileWriteWhole((folder / "link.wav").string().c_str(), NewBytes()).outcome, FileOutcome::Written);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.wav"));
    EXPECT_EQ(ReadFileBytes(folder / "real.wav"), kNewBytes);
}

TEST(FileTargetsMatch, ThroughLinks) {
    TempFolder folder;
    WriteFileBytes(folder / "a.wav", kOldBytes);
    std::filesystem::create_symlink(folder / "a.wav", folder / "link.txt");
    std::filesystem::create_hard_link(folder / "a.wav", folder / "hard.txt");
    std::filesystem::create_symlink("new.wav", folder / "dangling.txt");
    const auto at = [&folder](const std::string& name) { return (folder / name).string(); };
    EXPECT_TRUE(FileTargetsMatch(at("link.txt").c_str(), at("a.wav").c_str()));
    EXPECT_TRUE(FileTargetsMatch(at("hard.txt").c_str(), at("a.wav").c_str()));
    EXPECT_TRUE(FileTargetsMatch(at("dangling.txt").c_str(), at("new.wav").c_str()));
    EXPECT_FALSE(FileTargetsMatch(at("dangling.txt").c_str(), at("a.wav").c_str()));
}

TEST(FileWriteWhole, AReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    const auto target = folder / "shared.wav";
    WriteFileBytes(target, kOldBytes);
    ::chmod(target.c_str(), 0640);
    EXPECT_EQ(FileWriteWhole(target.string().c_str(), NewBytes()).outcome, FileOutcome::Written);
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

#endif

}  // namespace
