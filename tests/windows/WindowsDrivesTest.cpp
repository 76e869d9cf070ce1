// The drive list on Windows: one drive per letter with its root "e:\", typed by
// GetDriveTypeW; only a removable drive other than A: and B: is a card reader. Under
// scripts/test-windows.sh, Wine's prefix has a removable a: and e:, a CD-ROM d: and a
// network f:, each a folder of the Linux side; e: lies on another file system than c:
// where the machine allows, so that its free space is its own.
#include "WineDrives.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace lw {
namespace {

namespace fs = std::filesystem;

std::optional<DriveInfo> listed(const std::string& text) {
    for (const DriveInfo& d : realDrives().list())
        if (d.text == text)
            return d;
    return std::nullopt;
}

TEST(WindowsDrives, EveryDriveIsALetterWithItsRoot) {
    const auto drives = realDrives().list();
    ASSERT_FALSE(drives.empty());
    for (const DriveInfo& d : drives) {
        SCOPED_TRACE(d.text);
        ASSERT_EQ(d.text.size(), 2u);
        EXPECT_TRUE(d.text[0] >= 'a' && d.text[0] <= 'z');
        EXPECT_EQ(d.text[1], ':');
        // "c:\": one backslash, the root of its own drive.
        EXPECT_EQ(d.root.native(), std::wstring({static_cast<wchar_t>(d.text[0]), L':', L'\\'}));
        EXPECT_EQ(d.root, d.root.root_path());
        EXPECT_EQ(cardRootOf(d.text), pathToUtf8(d.root));
    }
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                               [](const DriveInfo& a, const DriveInfo& b) { return a.text < b.text; }));
}

TEST(WindowsDrives, SystemDriveIsFixedAndNoCardReader) {
    const auto c = listed("c:");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->type, DriveType::Fixed);
    EXPECT_FALSE(isAcceptableCardDrive(*c));
}

TEST(WindowsDrives, KindsOfThePrefixDrives) {
    const auto wine = test::wineDrives();
    if (!wine)
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    ASSERT_FALSE(wine->types.empty());
    for (const auto& [text, type] : wine->types) {
        SCOPED_TRACE(text);
        const auto d = listed(text);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->type, type);
        // Only the card drive passes: a: is removable too, but a floppy drive.
        EXPECT_EQ(isAcceptableCardDrive(*d), text == wine->cardDrive);
    }
}

TEST(WindowsDrives, FoundByTextAndRootInAnyLetterCase) {
    const auto wine = test::wineDrives();
    if (!wine || wine->cardDrive.empty())
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    const std::string upper = std::string(1, static_cast<char>(wine->cardDrive[0] - 'a' + 'A')) + ":";

    const auto byText = findDrive(realDrives(), upper);
    ASSERT_TRUE(byText);
    EXPECT_EQ(byText->text, wine->cardDrive);

    for (const std::string& root : {upper + "\\", wine->cardDrive + "\\", upper + "/"}) {
        SCOPED_TRACE(root);
        const auto byRoot = driveWithRoot(realDrives(), pathFromUtf8(root));
        ASSERT_TRUE(byRoot);
        EXPECT_EQ(byRoot->text, wine->cardDrive);
    }
    // A folder on the card is not the card's root.
    const fs::path inside = pathFromUtf8(cardRootOf(wine->cardDrive)) / "PRIVATE";
    fs::create_directory(inside);
    EXPECT_FALSE(driveWithRoot(realDrives(), inside));
    fs::remove(inside);
}

TEST(WindowsDrives, FreeSpaceIsThatOfTheDrivesOwnMedium) {
    const auto wine = test::wineDrives();
    if (!wine || !wine->cardFree)
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    auto free = realFileSystem().freeSpace(pathFromUtf8(cardRootOf(wine->cardDrive)));
    ASSERT_TRUE(free) << free.status().toString();
    // Other programs may write meanwhile; the card drive's medium is quiet, so a few
    // megabytes of slack are plenty.
    const std::uint64_t expected = *wine->cardFree;
    const std::uint64_t slack = 16u << 20;
    EXPECT_LE(*free, expected + slack);
    EXPECT_GE(*free + slack, expected);
}

TEST(WindowsDrives, MissingDriveHasNoFreeSpace) {
    std::optional<std::string> absent;
    for (char letter = 'z'; letter > 'g' && !absent; --letter)
        if (!listed(std::string{letter, ':'}))
            absent = std::string{letter, ':', '\\'};
    ASSERT_TRUE(absent);
    EXPECT_FALSE(realFileSystem().freeSpace(pathFromUtf8(*absent)));
}

TEST(WindowsDrives, AcceptedDriveIsStoredAsTheListNamesIt) {
    const auto wine = test::wineDrives();
    if (!wine || wine->cardDrive.empty())
        GTEST_SKIP() << "needs the drives of scripts/test-windows.sh's Wine prefix";
    const auto card = findDrive(realDrives(), wine->cardDrive);
    ASSERT_TRUE(card);
    test::TempDir dir;
    Settings settings;
    settings.languageId = "2";
    settings.cardDrive = card->text;
    ASSERT_TRUE(writeSettings(realFileSystem(), dir / "Liedwerk.ini", settings));
    EXPECT_EQ(test::readText(dir / "Liedwerk.ini"), "\"2\",\"" + wine->cardDrive + "\",\"\"\r\n");
}

} // namespace
} // namespace lw
