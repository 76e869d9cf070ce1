// Which language the first message lookup settles on: settings file, the "LNGID="
// key of the command line, the German fallback; and a language number without a
// table, which must never stop the program.
#include "settings/Localisation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lw {
namespace {

using test::TempDir;

constexpr std::string_view kGermanQuestion = "Frage";     // message 38
constexpr std::string_view kEnglishQuestion = "Question"; // message 38

struct LanguageCase {
    const char* label;
    std::optional<std::string> settingsLine; // nullopt: no settings file
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
    if (c.settingsLine) {
        const std::string line = *c.settingsLine + "\r\n";
        test::writeBytes(file, std::vector<std::uint8_t>(line.begin(), line.end()));
    }
    Localisation loc(realFileSystem(), file, c.commandLine);
    EXPECT_EQ(loc.lngId(), 0);
    EXPECT_EQ(loc.text(38), c.lngId == 2 ? kEnglishQuestion : kGermanQuestion);
    EXPECT_EQ(loc.lngId(), c.lngId);
    EXPECT_EQ(loc.language(), c.lngId == 2 ? Language::English : Language::German);
    EXPECT_EQ(loc.settings().languageId, c.languageIdAfter);
    EXPECT_EQ(loc.languageStillToAsk(), c.stillToAsk);
    // The command line never reaches the settings file.
    if (c.settingsLine) {
        EXPECT_EQ(test::readText(file), *c.settingsLine + "\r\n");
    } else {
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, FirstLookup,
    ::testing::Values(LanguageCase{"NoFileMeansGerman", std::nullopt, "", 1, "1", true},
                      LanguageCase{"German", "\"1\",\"\",\"\"", "", 1, "1", false},
                      LanguageCase{"English", "\"2\",\"e:\",\"\"", "", 2, "2", false},
                      LanguageCase{"NoneChosenBecomesGerman", "\"0\",\"\",\"\"", "", 1, "1", true},
                      LanguageCase{"EmptyFieldBecomesGerman", "\"\",\"\",\"\"", "", 1, "1", true},
                      LanguageCase{"UnquotedEnglish", "2,e:,", "", 2, "2", false},
                      LanguageCase{"RoundedHalfToEven", "\"2.5\",\"\",\"\"", "", 2, "2.5", false},
                      LanguageCase{"RoundedUp", "\"1.6\",\"\",\"\"", "", 2, "1.6", false}),
    [](const auto& info) { return std::string(info.param.label); });

// A number that names no table: German, and the start-up asks for the language again.
INSTANTIATE_TEST_SUITE_P(
    NoTable, FirstLookup,
    ::testing::Values(LanguageCase{"French", "\"3\",\"\",\"\"", "", 1, "3", true},
                      LanguageCase{"Italian", "\"4\",\"e:\",\"\"", "", 1, "4", true},
                      LanguageCase{"Text", "\"abc\",\"\",\"\"", "", 1, "1", true},
                      LanguageCase{"Negative", "\"-1\",\"\",\"\"", "", 1, "-1", true},
                      LanguageCase{"Huge", "\"99999999999999999999\",\"\",\"\"", "", 1,
                                   "99999999999999999999", true},
                      LanguageCase{"Garbage", "\x01\xFF\xFE,\"\"\"", "", 1, "1", true},
                      LanguageCase{"CommandLine3", "\"1\",\"\",\"\"", "LNGID=3", 1, "1", false},
                      LanguageCase{"CommandLine3NoFile", std::nullopt, "LNGID=3", 1, "1", true},
                      // A command-line number without a table is ignored: the settings decide.
                      LanguageCase{"CommandLine3EnglishFile", "\"2\",\"\",\"\"", "LNGID=3", 2, "2", false}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    CommandLine, FirstLookup,
    ::testing::Values(
        LanguageCase{"EnglishOverGermanFile", "\"1\",\"\",\"\"", "liedwerk LNGID=2", 2, "1", false},
        LanguageCase{"GermanOverEnglishFile", "\"2\",\"\",\"\"", "LNGID=1", 1, "2", false},
        LanguageCase{"EnglishWithoutFile", std::nullopt, "LNGID=2", 2, "0", true},
        LanguageCase{"ZeroIgnored", "\"2\",\"\",\"\"", "LNGID=0", 2, "2", false},
        LanguageCase{"LetterIgnored", "\"2\",\"\",\"\"", "LNGID=x", 2, "2", false},
        LanguageCase{"NothingAfterIgnored", "\"2\",\"\",\"\"", "LNGID=", 2, "2", false},
        LanguageCase{"ExactCaseOnly", "\"1\",\"\",\"\"", "lngid=2 LngId=2", 1, "1", false},
        LanguageCase{"FirstOccurrence", "\"1\",\"\",\"\"", "LNGID=2 LNGID=1", 2, "1", false},
        LanguageCase{"FirstOccurrenceEvenIfZero", "\"2\",\"\",\"\"", "LNGID=0 LNGID=1", 2, "2", false},
        LanguageCase{"LeadingBlanksSkipped", "\"1\",\"\",\"\"", "LNGID=   2", 2, "1", false},
        LanguageCase{"StopsAtTheFirstNonDigit", "\"1\",\"\",\"\"", "LNGID=2x7 other", 2, "1", false},
        LanguageCase{"InsideAWord", "\"1\",\"\",\"\"", "/LNGID=2", 2, "1", false},
        LanguageCase{"HalfRoundsToEvenTwo", "\"1\",\"\",\"\"", "LNGID=2.5", 2, "1", false},
        LanguageCase{"OneAndAHalfRoundsToTwo", "\"1\",\"\",\"\"", "LNGID=1.5", 2, "1", false},
        LanguageCase{"AHalfRoundsToZeroAndIsIgnored", "\"2\",\"\",\"\"", "LNGID=0.5", 2, "2", false},
        LanguageCase{"OnePointFourIsOne", "\"2\",\"\",\"\"", "LNGID=1.4", 1, "2", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Localisation, OnceSettledTheFileAndCommandLineAreNotReadAgain) {
    TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    Localisation loc(realFileSystem(), file, "");
    EXPECT_EQ(loc.text(38), kGermanQuestion);
    ASSERT_TRUE(writeSettings(realFileSystem(), file, {"2", "", ""}));
    EXPECT_EQ(loc.text(38), kGermanQuestion);
    EXPECT_EQ(loc.lngId(), 1);
}

TEST(Localisation, TheLanguageDialogsChoiceTakesEffectAtOnce) {
    TempDir dir;
    Localisation loc(realFileSystem(), dir / "Liedwerk.ini", "");
    EXPECT_EQ(loc.text(38), kGermanQuestion);
    loc.settings().languageId = "2";
    loc.applyLanguageId();
    EXPECT_EQ(loc.lngId(), 2);
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
    EXPECT_EQ(loc.lngId(), 1);
    EXPECT_TRUE(loc.languageStillToAsk());
}

TEST(Localisation, NumbersWithoutTextAreEmptyInBothLanguages) {
    for (const char* id : {"1", "2"}) {
        TempDir dir;
        const std::string line = std::string("\"") + id + "\",\"\",\"\"\r\n";
        test::writeBytes(dir / "Liedwerk.ini", std::vector<std::uint8_t>(line.begin(), line.end()));
        Localisation loc(realFileSystem(), dir / "Liedwerk.ini", "");
        for (int number : {16, 21, 196, 0, -1, 105, 112, 65535, 70000})
            EXPECT_EQ(loc.text(number), "") << "language " << id << ", number " << number;
        EXPECT_NE(loc.text(17), "");
        EXPECT_NE(loc.text(195), "");
    }
}

// --- reading a number the way the program always has ---

struct NumberCase {
    const char* text;
    long long whole;
};

class WholeNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(WholeNumber, Of) {
    EXPECT_EQ(wholeNumber(GetParam().text), GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(Texts, WholeNumber,
                         ::testing::Values(NumberCase{"2", 2}, NumberCase{"  2", 2}, NumberCase{"2abc", 2},
                                           NumberCase{"abc", 0}, NumberCase{"", 0}, NumberCase{".", 0},
                                           NumberCase{"-", 0}, NumberCase{"+2", 2}, NumberCase{"-3", -3},
                                           NumberCase{"0.5", 0}, NumberCase{"1.5", 2}, NumberCase{"2.5", 2},
                                           NumberCase{"3.5", 4}, NumberCase{"2.4999", 2}, NumberCase{".6", 1},
                                           NumberCase{"2.", 2}, NumberCase{"1e1", 10}, NumberCase{"2e", 2},
                                           NumberCase{"2E+0x", 2}, NumberCase{"1d1", 10}));

} // namespace
} // namespace lw
