// Which language the first message lookup settles on: settings file, the "LNGID=" key of
// the command line, the German fallback; a language number without a table, which must
// never stop the program; and the message lookup itself.
#include "settings/Localisation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace lw {
namespace {

using test::TempDir;

constexpr std::string_view kGermanQuestion = "Frage";     // message 38
constexpr std::string_view kEnglishQuestion = "Question"; // message 38

struct LanguageCase {
    const char* label;
    const char* settingsLine; // nullptr: no settings file
    std::string commandLine;
    std::int16_t lngId;
    std::string languageIdAfter;
    bool stillToAsk;
};

class FirstLookup : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(FirstLookup, SettlesTheLanguage) {
    const LanguageCase& c = GetParam();
    TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    if (c.settingsLine)
        test::writeBytes(
            file, std::vector<std::uint8_t>(c.settingsLine, c.settingsLine + std::strlen(c.settingsLine)));
    Localisation loc(realFileSystem(), file, c.commandLine);
    EXPECT_EQ(loc.lngId(), 0);
    EXPECT_EQ(loc.text(38), c.lngId == 2 ? kEnglishQuestion : kGermanQuestion);
    EXPECT_EQ(loc.lngId(), c.lngId);
    EXPECT_EQ(loc.settings().languageId, c.languageIdAfter);
    EXPECT_EQ(loc.languageStillToAsk(), c.stillToAsk);
    // The command line never reaches the settings file.
    EXPECT_EQ(std::filesystem::exists(file) ? test::readText(file) : "no file",
              c.settingsLine ? c.settingsLine : "no file");
}

// A number that names no table counts as none: German, and the start-up asks again. The
// command line's number decides for this run only, and is ignored when it names no table.
INSTANTIATE_TEST_SUITE_P(
    Languages, FirstLookup,
    ::testing::Values(
        LanguageCase{"NoFileMeansGerman", nullptr, "", 1, "1", true},
        LanguageCase{"EnglishFromTheFile", "\"2\",\"e:\",\"\"\r\n", "", 2, "2", false},
        LanguageCase{"FrenchHasNoTable", "\"3\",\"\",\"\"\r\n", "", 1, "3", true},
        LanguageCase{"TextIsNoLanguage", "\"abc\",\"\",\"\"\r\n", "", 1, "1", true},
        LanguageCase{"HalfRoundsToEven", "\"2.5\",\"\",\"\"\r\n", "", 2, "2.5", false},
        LanguageCase{"CommandLineEnglishOverGermanFile", "\"1\",\"\",\"\"\r\n", "liedwerk LNGID=2", 2, "1",
                     false},
        LanguageCase{"CommandLineGermanOverEnglishFile", "\"2\",\"\",\"\"\r\n", "LNGID=1", 1, "2", false},
        LanguageCase{"CommandLineWithoutTableIgnored", "\"2\",\"\",\"\"\r\n", "LNGID=3", 2, "2", false},
        LanguageCase{"CommandLineWithoutFile", nullptr, "LNGID=2", 2, "0", true},
        LanguageCase{"CommandLineFirstExactKeyCounts", "\"1\",\"\",\"\"\r\n", "lngid=1 LNGID=2 LNGID=1", 2,
                     "1", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Localisation, TheLanguageDialogsChoiceTakesEffectAtOnce) {
    TempDir dir;
    Localisation loc(realFileSystem(), dir / "Liedwerk.ini", "");
    EXPECT_EQ(loc.text(38), kGermanQuestion);
    loc.settings().languageId = "2";
    loc.applyLanguageId();
    EXPECT_EQ(loc.text(38), kEnglishQuestion);
    ASSERT_TRUE(loc.writeSettingsFile());
    EXPECT_EQ(test::readText(dir / "Liedwerk.ini"), "\"2\",\"\",\"\"\r\n");
    EXPECT_FALSE(loc.languageStillToAsk());
    // A choice without a table (the dialog writes it, then applies it): the next lookup
    // settles anew, in German, and the start-up will ask again.
    loc.settings().languageId = "3";
    ASSERT_TRUE(loc.writeSettingsFile());
    loc.applyLanguageId();
    EXPECT_EQ(loc.lngId(), 0);
    EXPECT_EQ(loc.text(38), kGermanQuestion);
    EXPECT_TRUE(loc.languageStillToAsk());
}

// The lookup searches the table by halves: an entry out of order would not be found.
TEST(MessageLookup, FindsEveryEntryAndNothingBetween) {
    for (const MessageEntry& e : messageTable()) {
        EXPECT_EQ(messageText(Language::English, e.number), e.english) << e.number;
        EXPECT_EQ(messageText(Language::German, e.number), e.german) << e.number;
    }
    for (int number : {0, 16, 21, 196})
        EXPECT_EQ(messageText(Language::English, number), "") << number;
}

// A number read the way the program always has: blanks skipped, up to the first character
// that cannot continue it, rounded with halves to the even number.
TEST(WholeNumber, Of) {
    const std::pair<const char*, long long> cases[] = {{"  2", 2}, {"2abc", 2}, {"abc", 0}, {"-3", -3},
                                                       {"0.5", 0}, {"2.5", 2},  {"3.5", 4}, {"1d1", 10}};
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(wholeNumber(text), whole) << text;
}

} // namespace
} // namespace lw
