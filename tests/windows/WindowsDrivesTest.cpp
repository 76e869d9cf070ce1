// The drive list on Windows: one drive per letter with its root "e:\", typed by GetDriveTypeW.
// scripts/test-windows.sh names its Wine prefix's drives (folders of the Linux side) in the
// environment: LIEDWERK_WINE_DRIVES "a:=removable;d:=cdrom;e:=removable;f:=remote",
// LIEDWERK_WINE_CARD_DRIVE "e:" (the card reader's), LIEDWERK_WINE_CARD_FREE (free bytes of its
// file system as df counted them; not c:'s where the machine allows). Unset on a real Windows:
// the tests that need them skip.
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>

namespace lw {
namespace {

constexpr const char* kNeedsWine = "needs the drives of scripts/test-windows.sh's Wine prefix";

// The wide environment: a narrow getenv would pass values through the ANSI code page.
std::string environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? pathToUtf8(std::filesystem::path(value)) : std::string();
}

TEST(WindowsDrives, EveryDriveIsALetterWithItsRootInOrder) {
    const auto drives = realDrives().list();
    ASSERT_FALSE(drives.empty());
    for (const DriveInfo& d : drives) {
        ASSERT_EQ(d.text.size(), 2u);
        EXPECT_TRUE(d.text[0] >= 'a' && d.text[0] <= 'z' && d.text[1] == ':') << d.text;
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
    EXPECT_EQ(std::tuple(c->text, c->type, isAcceptableCardDrive(*c)),
              std::tuple("c:", DriveType::Fixed, false));
    std::istringstream wine(environment(L"LIEDWERK_WINE_DRIVES"));
    if (wine.str().empty())
        GTEST_SKIP() << kNeedsWine;
    static const char* const kKinds[] = {"unknown", "removable", "fixed", "remote", "cdrom", "ramdisk"};
    for (std::string item; std::getline(wine, item, ';');) {
        const std::string text = item.substr(0, item.find('='));
        const auto d = findDrive(realDrives(), text);
        ASSERT_TRUE(d) << text;
        EXPECT_EQ(text + "=" + kKinds[static_cast<int>(d->type)], item);
        EXPECT_EQ(isAcceptableCardDrive(*d), text == environment(L"LIEDWERK_WINE_CARD_DRIVE")) << text;
    }
}

// Other programs may write meanwhile; the card drive's medium is quiet, so a few megabytes of
// slack are plenty.
TEST(WindowsDrives, FreeSpaceIsThatOfTheDrivesOwnMedium) {
    const std::string card = environment(L"LIEDWERK_WINE_CARD_DRIVE"),
                      df = environment(L"LIEDWERK_WINE_CARD_FREE");
    if (card.empty() || df.empty())
        GTEST_SKIP() << kNeedsWine;
    auto free = realFileSystem().freeSpace(pathFromUtf8(cardRootOf(card)));
    ASSERT_TRUE(free) << free.status().toString();
    const std::uint64_t slack = 16u << 20, expected = std::stoull(df);
    EXPECT_LE(*free, expected + slack);
    EXPECT_GE(*free + slack, expected);
}

} // namespace
} // namespace lw
