// The drive list on Windows: one drive per letter with its root "e:\", typed by
// GetDriveTypeW; only a removable drive other than A: and B: is a card reader. Under
// scripts/test-windows.sh, Wine's prefix has a removable a: and e:, a CD-ROM d: and a
// network f:, each a folder of the Linux side; e: lies on another file system than c:
// where the machine allows, so that its free space is its own.
#include "WineDrives.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace lw {
namespace {

TEST(WindowsDrives, EveryDriveIsALetterWithItsRootInOrder) {
    const auto drives = realDrives().list();
    ASSERT_FALSE(drives.empty());
    for (const DriveInfo& d : drives) {
        ASSERT_EQ(d.text.size(), 2u);
        EXPECT_TRUE(d.text[0] >= 'a' && d.text[0] <= 'z') << d.text;
        EXPECT_EQ(d.text[1], ':');
        // "c:\": one backslash, the root of its own drive.
        EXPECT_EQ(d.root.native(), std::wstring({static_cast<wchar_t>(d.text[0]), L':', L'\\'})) << d.text;
        EXPECT_EQ(cardRootOf(d.text), pathToUtf8(d.root));
    }
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                               [](const DriveInfo& a, const DriveInfo& b) { return a.text < b.text; }));
}

// The system drive is fixed, and found in either letter case; of the prefix's drives only
// the card drive passes: a: is removable too, but a floppy drive.
TEST(WindowsDrives, KindsAndWhichIsACardReader) {
    const auto c = findDrive(realDrives(), "C:");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->text, "c:");
    EXPECT_EQ(c->type, DriveType::Fixed);
    EXPECT_FALSE(isAcceptableCardDrive(*c));
    const auto wine = test::wineDrives();
    if (!wine)
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    ASSERT_FALSE(wine->types.empty());
    for (const auto& [text, type] : wine->types) {
        const auto d = findDrive(realDrives(), text);
        ASSERT_TRUE(d) << text;
        EXPECT_EQ(d->type, type) << text;
        EXPECT_EQ(isAcceptableCardDrive(*d), text == wine->cardDrive) << text;
    }
}

TEST(WindowsDrives, FreeSpaceIsThatOfTheDrivesOwnMedium) {
    const auto wine = test::wineDrives();
    if (!wine || !wine->cardFree)
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    auto free = realFileSystem().freeSpace(pathFromUtf8(cardRootOf(wine->cardDrive)));
    ASSERT_TRUE(free) << free.status().toString();
    // Other programs may write meanwhile; the card drive's medium is quiet, so a few
    // megabytes of slack are plenty.
    const std::uint64_t slack = 16u << 20;
    EXPECT_LE(*free, *wine->cardFree + slack);
    EXPECT_GE(*free + slack, *wine->cardFree);
}

} // namespace
} // namespace lw
