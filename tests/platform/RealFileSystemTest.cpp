// The real file system's behaviour that the card preparation and the song transfer rely on.
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

using Bytes = std::vector<std::uint8_t>;

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

// A PRIVATE folder with a read-only song file in a read-only folder goes only when forced; a
// link, named like the folder or inside it, goes without what it points to (here the card).
TEST(RealFileSystem, RemovingATreeTakesReadOnlyFilesOnlyWhenForcedAndNeverFollowsALink) {
    test::TempDir card;
    const fs::path priv = card / "PRIVATE";
    const fs::path folder = priv / "TECHNICS" / "KN7000" / "TFLD001";
    fs::create_directories(folder);
    test::writeBytes(folder / "0100101_.SQT", Bytes(10, 2));
    test::writeBytes(card / "OTHER.TXT", Bytes(3, 3));
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
#ifndef _WIN32
    fs::permissions(card / "OTHER.TXT", fs::perms::owner_read);
    for (const fs::path& link : {priv, priv / "TECHNICS" / "inner"}) {
        fs::create_directories(link.parent_path());
        fs::create_directory_symlink(card.path(), link);
        ASSERT_TRUE(realFileSystem().removeTree(priv, true));
        EXPECT_FALSE(fs::exists(fs::symlink_status(priv))) << link;
    }
    EXPECT_EQ(fs::status(card / "OTHER.TXT").permissions(), fs::perms::owner_read);
    EXPECT_EQ(test::readBytes(card / "OTHER.TXT"), Bytes(3, 3));
#endif
}

// A new file or folder never replaces anything nor follows a link; a read opens only a regular
// file, and a FIFO never makes it wait.
TEST(RealFileSystem, NewFilesReplaceNothingAndReadsTakeOnlyRegularFiles) {
    test::TempDir dir;
    test::writeBytes(dir / "taken.SQT", Bytes(5, 7));
    EXPECT_EQ(realFileSystem().createNew(dir / "taken.SQT").status().code(), ErrorCode::AlreadyExists);
    EXPECT_EQ(test::readBytes(dir / "taken.SQT"), Bytes(5, 7));
    EXPECT_EQ(realFileSystem().openRead(dir.path()).status().code(), ErrorCode::NotAFile);
    EXPECT_EQ(realFileSystem().openRead(dir / "absent").status().code(), ErrorCode::NotFound);
#ifndef _WIN32
    fs::create_directories(dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere" / "victim", dir / "link.SQT");
    EXPECT_EQ(realFileSystem().createNew(dir / "link.SQT").status().code(), ErrorCode::AlreadyExists);
    EXPECT_FALSE(fs::exists(dir / "elsewhere" / "victim"));
    fs::create_directory_symlink(dir / "elsewhere", dir / "TFLD001");
    EXPECT_EQ(realFileSystem().createDirectory(dir / "TFLD001").code(), ErrorCode::AlreadyExists);
    ASSERT_EQ(::mkfifo((dir / "Fileblk.dat").c_str(), 0600), 0);
    EXPECT_EQ(realFileSystem().openRead(dir / "Fileblk.dat").status().code(), ErrorCode::NotAFile);
    EXPECT_EQ(realFileSystem().openWrite(dir / "Fileblk.dat").status().code(), ErrorCode::NotAFile);
#endif
}

// The earlier file stays while the new one is written; a run that ends without committing
// leaves nothing of its own; one that commits replaces it, also over a killed run's leftover.
TEST(RealFileSystem, StagedFileTakesItsNameOnlyWhenCommitted) {
    test::TempDir dir;
    const fs::path target = dir / "Restore.sdb";
    test::writeBytes(target, Bytes(4, 1));
    for (const bool commit : {false, true}) {
        if (commit)
            test::writeBytes(dir / ".Restore.sdb.liedwerk-tmp", Bytes(3, 3));
        {
            auto staged = realFileSystem().createStaged(target);
            ASSERT_TRUE(staged) << staged.status().toString();
            ASSERT_TRUE((*staged)->write(Bytes(9, 2)));
            EXPECT_EQ(test::readBytes(target), Bytes(4, 1));
            ASSERT_TRUE(!commit || (*staged)->commit());
        }
        EXPECT_EQ(test::readBytes(target), commit ? Bytes(9, 2) : Bytes(4, 1));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
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

// Appending from a source shorter than announced names the source; a folder's size counts
// nested files.
TEST(RealFileSystem, AppendingFromAShortSourceAndDirectorySize) {
    test::TempDir dir;
    test::writeBytes(dir / "00101.SQT", Bytes(100, 5));
    auto in = realFileSystem().openRead(dir / "00101.SQT");
    auto out = realFileSystem().createNew(dir / "0100101_.SQT");
    ASSERT_TRUE(in && out);
    Bytes buffer(4096);
    const Status s = appendExactly(**out, **in, "00101.SQT", 150, buffer);
    EXPECT_EQ(s.toString(), "00101.SQT: the file ended after 100 of its 150 bytes");
    fs::create_directories(dir / "a" / "b");
    test::writeBytes(dir / "a" / "top.bin", Bytes(10, 0));
    test::writeBytes(dir / "a" / "b" / "deep.bin", Bytes(3000, 0));
    const auto size = realFileSystem().directorySize(dir / "a");
    EXPECT_EQ(size ? *size : 0, 3010u);
    EXPECT_EQ(realFileSystem().directorySize(dir / "missing").status().code(), ErrorCode::NotFound);
}

} // namespace
} // namespace lw
