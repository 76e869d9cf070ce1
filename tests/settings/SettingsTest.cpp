// The settings file (the exact line written, the lenient reading of hand-edited files), and
// which language the message lookup settles on.
#include "settings/Localisation.h"
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

namespace lw {
namespace {

constexpr std::string_view kGerman = "Frage", kEnglish = "Question"; // message 38

std::string fields(const Settings& s) {
    return s.languageId + "|" + s.cardDrive + "|" + s.reserved;
}

// One line of three quoted fields ended by CR LF replaces the file. A value with a quote or a
// line end (a mount point may hold one) could not be read back: refused, the file unchanged.
// Reading takes fields quoted or bare (trimmed), also on lines of their own, and stops silently
// at the first field that is not there: the fields read before it take their new values.
TEST(SettingsFile, WritesOneLineAndReadsLeniently) {
    test::TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    std::ofstream(file, std::ios::binary) << "\"1\",\"f:\",\"something long kept here\"\r\nsecond line\r\n";
    ASSERT_TRUE(writeSettings(realFileSystem(), file, {"2", "e:", ""}));
    for (const char* drive : {"/media/anna/My \"Card\"", "/media/x\ny"})
        EXPECT_EQ(writeSettings(realFileSystem(), file, {"2", drive, ""}).code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(test::readText(file), "\"2\",\"e:\",\"\"\r\n");
    EXPECT_FALSE(writeSettings(realFileSystem(), dir / "missing" / "Liedwerk.ini", {"1", "", ""}));
    for (const Settings& s :
         {Settings{"1", "", ""}, Settings{"0", "/media/card", "x, y"}, Settings{"4", "F:\\", " b "}}) {
        ASSERT_TRUE(writeSettings(realFileSystem(), file, s));
        Settings back{"junk", "junk", "junk"};
        readSettings(realFileSystem(), file, back);
        EXPECT_EQ(fields(back), fields(s));
    }
    const std::pair<const char*, const char*> cases[] = {{nullptr, "9|z:|old"}, // no file
                                                         {"\"2\"\r\n", "2|z:|old"},
                                                         {"  2 ,  e:  , a b \r\n", "2|e:|a b"},
                                                         {"\" 2\",\"e:, f:\",\" r \"", " 2|e:, f:| r "},
                                                         {"\r\n\"2\"\r\n\"e:\"\n\"r\"\r\n", "2|e:|r"},
                                                         {"\"2\",\"e:\",\"r\",\"extra\"\r\n", "2|e:|r"},
                                                         {"\"2", "2|z:|old"},
                                                         {"\r\n\r\n", "9|z:|old"}};
    for (const auto& [content, expected] : cases) {
        Settings s{"9", "z:", "old"};
        content ? parseSettings(content, s) : readSettings(realFileSystem(), dir / "none.ini", s);
        EXPECT_EQ(fields(s), expected) << (content ? content : "no file");
    }
}

// The first lookup settles the language from the settings file (nullptr: none), else German;
// a number without a table counts as none: German, and the start-up asks again. The command
// line's first exact "LNGID=" rules this run only (not the file), unless it names no table.
TEST(Localisation, TheFirstLookupSettlesTheLanguage) {
    const std::tuple<const char*, const char*, int, const char*, bool> cases[] = {
        {nullptr, "", 1, "1", true},
        {"2", "", 2, "2", false},
        {"3", "", 1, "3", true},
        {"abc", "", 1, "1", true},
        {"2.5", "", 2, "2.5", false},
        {"2", "LNGID=1", 1, "2", false},
        {"2", "LNGID=3", 2, "2", false},
        {nullptr, "LNGID=2", 2, "0", true},
        {"1", "lngid=1 LNGID=2 LNGID=1", 2, "1", false}};
    for (const auto& [fileId, commandLine, lngId, languageId, stillToAsk] : cases) {
        SCOPED_TRACE(std::string(fileId ? fileId : "no file") + " / " + commandLine);
        test::TempDir dir;
        const std::string line = fileId ? "\"" + std::string(fileId) + "\",\"\",\"\"\r\n" : "no file";
        if (fileId)
            std::ofstream(dir / "Liedwerk.ini", std::ios::binary) << line;
        Localisation loc(realFileSystem(), dir / "Liedwerk.ini", commandLine);
        EXPECT_EQ(loc.lngId(), 0);
        EXPECT_EQ(loc.text(38), lngId == 2 ? kEnglish : kGerman);
        EXPECT_EQ(std::tuple(int(loc.lngId()), loc.settings().languageId, loc.languageStillToAsk()),
                  std::tuple(lngId, languageId, stillToAsk));
        EXPECT_EQ(fileId ? test::readText(dir / "Liedwerk.ini") : "no file", line);
    }
}

// The language dialog's choice takes effect at once. A choice without a table (the dialog
// writes it, then applies it): the next lookup settles anew, in German, and the start-up asks.
TEST(Localisation, TheLanguageDialogsChoiceTakesEffectAtOnce) {
    test::TempDir dir;
    Localisation loc(realFileSystem(), dir / "Liedwerk.ini", "");
    EXPECT_EQ(loc.text(38), kGerman);
    for (const auto& [id, lngId, stillToAsk, text] :
         {std::tuple{"2", 2, false, kEnglish}, std::tuple{"3", 0, true, kGerman}}) {
        loc.settings().languageId = id;
        ASSERT_TRUE(loc.writeSettingsFile());
        loc.applyLanguageId();
        EXPECT_EQ(std::tuple(int(loc.lngId()), loc.languageStillToAsk()), std::tuple(lngId, stillToAsk));
        EXPECT_EQ(loc.text(38), text);
    }
}

// The lookup searches the table by halves: an entry out of order would not be found.
TEST(MessageLookup, FindsEveryEntryAndNothingBetween) {
    for (const MessageEntry& e : messageTable())
        EXPECT_EQ(
            std::tuple(messageText(Language::English, e.number), messageText(Language::German, e.number)),
            std::tuple(e.english, e.german));
    for (int number : {0, 16, 21, 196})
        EXPECT_EQ(messageText(Language::English, number), "") << number;
}

// Blanks skipped, up to the first character that cannot continue it, halves to the even number.
TEST(WholeNumber, Of) {
    const std::pair<const char*, long long> cases[] = {{"  2", 2}, {"2abc", 2}, {"abc", 0}, {"-3", -3},
                                                       {"0.5", 0}, {"2.5", 2},  {"3.5", 4}, {"1d1", 10}};
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(wholeNumber(text), whole) << text;
}

} // namespace
} // namespace lw
