// The real file system's behaviour that the card preparation and the song transfer rely on:
// a PRIVATE folder with read-only files is removed when forced, a copy replaces its target,
// and free space and folder sizes are reported.
#include "platform/FileSystem.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytes(std::size_t count, std::uint8_t value) {
    return std::vector<std::uint8_t>(count, value);
}

// PRIVATE/TECHNICS/KN7000 with a read-only song file, inside a read-only song folder.
fs::path makeReadOnlyTree(const fs::path& cardRoot) {
    const fs::path kn7000 = cardRoot / "PRIVATE" / "TECHNICS" / "KN7000";
    fs::create_directories(kn7000 / "TFLD001");
    test::writeBytes(kn7000 / "KN7000MN.INF", bytes(100, 1));
    test::writeBytes(kn7000 / "TFLD001" / "0100101_.SQT", bytes(10, 2));
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(kn7000 / "KN7000MN.INF", readOnly);
    fs::permissions(kn7000 / "TFLD001" / "0100101_.SQT", readOnly);
    fs::permissions(kn7000 / "TFLD001", readOnly | fs::perms::owner_exec);
    return cardRoot / "PRIVATE";
}

// Runs a check as an ordinary user, since an administrator deletes read-only files anyway.
// Under root (as in a container) the check runs in a child process that hands the folder
// to the user "nobody" and gives up its rights; it returns the check's result.
int asOrdinaryUser(const fs::path& folder, const std::function<int()>& check) {
#ifdef _WIN32
    (void)folder;
    return check();
#else
    if (::geteuid() != 0)
        return check();
    constexpr uid_t kNobody = 65534;
    if (::lchown(folder.c_str(), kNobody, kNobody) != 0)
        return 97;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0)
            return 97;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(98);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 99;
    return WEXITSTATUS(status);
#endif
}

// The check's verdicts, as exit codes of the child process.
constexpr int kRemoved = 0;
constexpr int kRefusedAndKept = 1;
constexpr int kOtherOutcome = 2;

TEST(RealFileSystem, ForcedRemoveTreeDeletesReadOnlyFilesAndFolders) {
    test::TempDir card;
    const fs::path privateFolder = makeReadOnlyTree(card.path());
    test::writeBytes(card / "OTHER.TXT", bytes(3, 3));

    const int outcome = asOrdinaryUser(card.path(), [&] {
        const Status status = realFileSystem().removeTree(privateFolder, true);
        return status && !fs::exists(privateFolder) ? kRemoved : kOtherOutcome;
    });
    EXPECT_EQ(outcome, kRemoved);
    EXPECT_FALSE(fs::exists(privateFolder));
    EXPECT_TRUE(fs::exists(card / "OTHER.TXT"));
}

#ifndef _WIN32
// (On Windows whether a read-only file stops a plain deletion depends on the library.)
TEST(RealFileSystem, RemoveTreeWithoutForceStopsAtReadOnlyFiles) {
    test::TempDir card;
    const fs::path privateFolder = makeReadOnlyTree(card.path());
    const fs::path songFile = privateFolder / "TECHNICS" / "KN7000" / "TFLD001" / "0100101_.SQT";

    const int outcome = asOrdinaryUser(card.path(), [&] {
        const Status status = realFileSystem().removeTree(privateFolder, false);
        return status.code() == ErrorCode::PermissionDenied && fs::exists(songFile) ? kRefusedAndKept
                                                                                    : kOtherOutcome;
    });
    EXPECT_EQ(outcome, kRefusedAndKept);
}

#endif

TEST(RealFileSystem, RemoveTreeOfAMissingFolderSucceeds) {
    test::TempDir card;
    EXPECT_TRUE(realFileSystem().removeTree(card / "PRIVATE", true));
}

TEST(RealFileSystem, CopyFileReplacesAnExistingTarget) {
    test::TempDir dir;
    test::writeBytes(dir / "00101.SQT", bytes(5, 7));
    test::writeBytes(dir / "0100101_.SQT", bytes(50, 9));
    const Status copied = realFileSystem().copyFile(dir / "00101.SQT", dir / "0100101_.SQT");
    ASSERT_TRUE(copied) << copied.toString();
    EXPECT_EQ(test::readBytes(dir / "0100101_.SQT"), bytes(5, 7));
}

TEST(RealFileSystem, CopyFileOfAMissingSourceIsNotFound) {
    test::TempDir dir;
    const Status status = realFileSystem().copyFile(dir / "00101.SQT", dir / "0100101_.SQT");
    EXPECT_EQ(status.code(), ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(dir / "0100101_.SQT"));
}

TEST(RealFileSystem, FreeSpaceOfAFolderAndOfAMissingOne) {
    test::TempDir dir;
    const auto free = realFileSystem().freeSpace(dir.path());
    ASSERT_TRUE(free) << free.status().toString();
    EXPECT_GT(*free, 0u);
    EXPECT_FALSE(realFileSystem().freeSpace(dir / "missing" / "deeper"));
}

TEST(RealFileSystem, DirectorySizeCountsNestedFiles) {
    test::TempDir dir;
    fs::create_directories(dir / "a" / "b");
    fs::create_directories(dir / "empty");
    test::writeBytes(dir / "top.bin", bytes(10, 0));
    test::writeBytes(dir / "a" / "mid.bin", bytes(200, 0));
    test::writeBytes(dir / "a" / "b" / "deep.bin", bytes(3000, 0));
    const auto size = realFileSystem().directorySize(dir.path());
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, 3210u);
    EXPECT_EQ(realFileSystem().directorySize(dir / "missing").status().code(), ErrorCode::NotFound);
}

TEST(RealFileSystem, OpenReadOfAMissingFileIsNotFound) {
    test::TempDir dir;
    EXPECT_EQ(realFileSystem().openRead(dir / "absent").status().code(), ErrorCode::NotFound);
}

} // namespace
} // namespace lw
