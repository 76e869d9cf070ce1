// The real file system's behaviour that the card preparation and the song transfer rely on:
// a PRIVATE folder with read-only files is removed only when forced and a link is never
// followed, new files replace nothing, a restore file takes its name only when complete,
// FIFOs never make a read wait, one run at a time claims an output, and sizes are counted.
#include "platform/FileSystem.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lw {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytes(std::size_t count, std::uint8_t value) {
    return std::vector<std::uint8_t>(count, value);
}

std::ptrdiff_t entriesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
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

TEST(RealFileSystem, ReadOnlyPrivateIsRemovedOnlyWhenForced) {
    test::TempDir card;
    // PRIVATE/TECHNICS/KN7000 with a read-only song file, inside a read-only song folder.
    const fs::path priv = card / "PRIVATE";
    const fs::path folder = priv / "TECHNICS" / "KN7000" / "TFLD001";
    fs::create_directories(folder);
    test::writeBytes(folder / "0100101_.SQT", bytes(10, 2));
    test::writeBytes(card / "OTHER.TXT", bytes(3, 3));
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(folder / "0100101_.SQT", readOnly);
    fs::permissions(folder, readOnly | fs::perms::owner_exec);

    const int outcome = asOrdinaryUser(card.path(), [&] {
#ifndef _WIN32 // (on Windows whether a plain deletion stops there depends on the library)
        if (realFileSystem().removeTree(priv, false).code() != ErrorCode::PermissionDenied ||
            !fs::exists(folder / "0100101_.SQT"))
            return 1;
#endif
        return realFileSystem().removeTree(priv, true) && !fs::exists(priv) ? 0 : 2;
    });
    EXPECT_EQ(outcome, 0) << "1: not refused without force; 2: not removed with force";
    EXPECT_FALSE(fs::exists(priv));
    EXPECT_TRUE(fs::exists(card / "OTHER.TXT"));
}

#ifndef _WIN32
TEST(RealFileSystem, RemovingATreeNeverFollowsALink) {
    test::TempDir card;
    fs::create_directories(card / "outside");
    test::writeBytes(card / "outside" / "keep.txt", bytes(3, 3));
    fs::permissions(card / "outside" / "keep.txt", fs::perms::owner_read);
    fs::create_directory_symlink(card / "outside", card / "PRIVATE"); // a link named like the folder
    ASSERT_TRUE(realFileSystem().removeTree(card / "PRIVATE", true));
    EXPECT_FALSE(fs::exists(fs::symlink_status(card / "PRIVATE")));
    fs::create_directories(card / "PRIVATE" / "TECHNICS");
    fs::create_directory_symlink(card / "outside", card / "PRIVATE" / "TECHNICS" / "inner");
    ASSERT_TRUE(realFileSystem().removeTree(card / "PRIVATE", true));
    EXPECT_FALSE(fs::exists(card / "PRIVATE"));
    EXPECT_EQ(fs::status(card / "outside" / "keep.txt").permissions(), fs::perms::owner_read);
    EXPECT_EQ(test::readBytes(card / "outside" / "keep.txt"), bytes(3, 3));
}
#endif

TEST(RealFileSystem, NewFilesNeverReplaceAnythingNorFollowALink) {
    test::TempDir dir;
    test::writeBytes(dir / "taken.SQT", bytes(5, 7));
    EXPECT_EQ(realFileSystem().createNew(dir / "taken.SQT").status().code(), ErrorCode::AlreadyExists);
    EXPECT_EQ(test::readBytes(dir / "taken.SQT"), bytes(5, 7));
#ifndef _WIN32
    fs::create_directories(dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere" / "victim", dir / "link.SQT");
    EXPECT_EQ(realFileSystem().createNew(dir / "link.SQT").status().code(), ErrorCode::AlreadyExists);
    EXPECT_FALSE(fs::exists(dir / "elsewhere" / "victim"));
    fs::create_directory_symlink(dir / "elsewhere", dir / "TFLD001");
    EXPECT_EQ(realFileSystem().createDirectory(dir / "TFLD001").code(), ErrorCode::AlreadyExists);
#endif
}

TEST(RealFileSystem, StagedFileTakesItsNameOnlyWhenCommitted) {
    test::TempDir dir;
    const fs::path target = dir / "Restore.sdb";
    test::writeBytes(target, bytes(4, 1));
    {
        auto staged = realFileSystem().createStaged(target);
        ASSERT_TRUE(staged) << staged.status().toString();
        ASSERT_TRUE((*staged)->write(bytes(9, 2)));
        EXPECT_EQ(test::readBytes(target), bytes(4, 1))
            << "the earlier file stays while the new one is written";
    } // a run that ends without finishing leaves nothing of its own
    EXPECT_EQ(test::readBytes(target), bytes(4, 1));
    EXPECT_EQ(entriesIn(dir.path()), 1);

    test::writeBytes(dir / ".Restore.sdb.liedwerk-tmp", bytes(3, 3)); // left by a killed run
    auto staged = realFileSystem().createStaged(target);
    ASSERT_TRUE(staged) << staged.status().toString();
    ASSERT_TRUE((*staged)->write(bytes(9, 2)));
    ASSERT_TRUE((*staged)->commit());
    EXPECT_EQ(test::readBytes(target), bytes(9, 2));
    EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(RealFileSystem, ReadsRefuseWhatIsNoRegularFileWithoutWaiting) {
    test::TempDir dir;
    EXPECT_EQ(realFileSystem().openRead(dir.path()).status().code(), ErrorCode::NotAFile);
    EXPECT_EQ(realFileSystem().openRead(dir / "absent").status().code(), ErrorCode::NotFound);
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "Fileblk.dat").c_str(), 0600), 0);
    EXPECT_EQ(realFileSystem().openRead(dir / "Fileblk.dat").status().code(), ErrorCode::NotAFile);
    EXPECT_EQ(realFileSystem().openWrite(dir / "Fileblk.dat").status().code(), ErrorCode::NotAFile);
#endif
}

// The same output, in any letter case of its name or through a link to its folder, is
// claimed by one run at a time.
TEST(RealFileSystem, AnOutputIsClaimedByOneRunAtATime) {
    test::TempDir dir;
    auto first = realFileSystem().lockOutput(dir.path(), "Restore.sdb");
    ASSERT_TRUE(first) << first.status().toString();
    EXPECT_EQ(realFileSystem().lockOutput(dir.path(), "RESTORE.SDB").status().code(), ErrorCode::Busy);
    EXPECT_TRUE(realFileSystem().lockOutput(dir.path(), "Other.sdb"));
#ifndef _WIN32
    fs::create_directory_symlink(dir.path(), dir / "alias");
    EXPECT_EQ(realFileSystem().lockOutput(dir / "alias", "Restore.sdb").status().code(), ErrorCode::Busy);
#endif
    first->reset();
    EXPECT_TRUE(realFileSystem().lockOutput(dir.path(), "Restore.sdb"));
}

TEST(RealFileSystem, AppendingFromAShortSourceNamesTheSource) {
    test::TempDir dir;
    test::writeBytes(dir / "00101.SQT", bytes(100, 5));
    auto in = realFileSystem().openRead(dir / "00101.SQT");
    auto out = realFileSystem().createNew(dir / "0100101_.SQT");
    ASSERT_TRUE(in && out);
    std::vector<std::uint8_t> buffer(4096);
    const Status s = appendExactly(**out, **in, "00101.SQT", 150, buffer);
    EXPECT_EQ(s.path(), "00101.SQT");
    EXPECT_NE(s.reason().find("100 of its 150"), std::string::npos) << s.reason();
}

TEST(RealFileSystem, DirectorySizeCountsNestedFiles) {
    test::TempDir dir;
    fs::create_directories(dir / "a" / "b");
    test::writeBytes(dir / "top.bin", bytes(10, 0));
    test::writeBytes(dir / "a" / "b" / "deep.bin", bytes(3000, 0));
    const auto size = realFileSystem().directorySize(dir.path());
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, 3010u);
    EXPECT_EQ(realFileSystem().directorySize(dir / "missing").status().code(), ErrorCode::NotFound);
}

} // namespace
} // namespace lw
