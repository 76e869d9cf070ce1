// The settings file: the exact line written, a write that replaces whatever was there,
// and the lenient reading of hand-edited or damaged files.
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {

// Found by argument-dependent lookup, so they live beside Settings.
inline bool operator==(const Settings& a, const Settings& b) {
    return a.languageId == b.languageId && a.cardDrive == b.cardDrive && a.reserved == b.reserved;
}

inline std::ostream& operator<<(std::ostream& os, const Settings& s) {
    return os << "{" << s.languageId << "|" << s.cardDrive << "|" << s.reserved << "}";
}

namespace {

using test::TempDir;

void writeText(const std::filesystem::path& path, const std::string& text) {
    test::writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// --- writing ---

TEST(WriteSettings, OneLineOfThreeQuotedFieldsEndedByCrLf) {
    EXPECT_EQ(formatSettings({"2", "e:", ""}), "\"2\",\"e:\",\"\"\r\n");
    EXPECT_EQ(formatSettings({"1", "", ""}), "\"1\",\"\",\"\"\r\n");
}

TEST(WriteSettings, ReplacesALongerFileWithExactlyOneLine) {
    TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    writeText(file, "\"1\",\"f:\",\"something long kept here\"\r\nsecond line\r\nthird line\r\n");
    ASSERT_TRUE(writeSettings(realFileSystem(), file, {"2", "e:", ""}));
    EXPECT_EQ(test::readText(file), "\"2\",\"e:\",\"\"\r\n");
}

TEST(WriteSettings, ReadsBackWhatItWrote) {
    TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    for (const Settings& s : {Settings{"2", "e:", ""}, Settings{"1", "", ""},
                              Settings{"0", "/media/card", "x, y"}, Settings{"4", "F:\\", " padded "}}) {
        ASSERT_TRUE(writeSettings(realFileSystem(), file, s));
        const std::string text = test::readText(file);
        EXPECT_EQ(text.find("\r\n"), text.size() - 2) << "exactly one line";
        Settings back{"junk", "junk", "junk"};
        readSettings(realFileSystem(), file, back);
        EXPECT_EQ(back, s);
    }
}

// A mount point may hold a quote or a line end: such a value could not be read back, so
// it is refused and the file keeps what it had.
TEST(WriteSettings, AValueTheFileCannotHoldIsNotStored) {
    test::TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    ASSERT_TRUE(writeSettings(realFileSystem(), file, {"2", "e:", ""}));
    for (const char* drive : {"/media/anna/My \"Card\"", "/media/x\ny"})
        EXPECT_EQ(writeSettings(realFileSystem(), file, {"2", drive, ""}).code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(test::readText(file), "\"2\",\"e:\",\"\"\r\n");
}

TEST(WriteSettings, AFolderThatIsNotThereIsAnError) {
    TempDir dir;
    EXPECT_FALSE(writeSettings(realFileSystem(), dir / "missing" / "Liedwerk.ini", {"1", "", ""}));
}

// --- reading ---

struct ReadCase {
    const char* label;
    std::string content;
    Settings expected; // starting from {"9", "z:", "old"}
};

class ReadSettings : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadSettings, FromContent) {
    Settings s{"9", "z:", "old"};
    parseSettings(GetParam().content, s);
    EXPECT_EQ(s, GetParam().expected);

    TempDir dir;
    writeText(dir / "Liedwerk.ini", GetParam().content);
    Settings fromFile{"9", "z:", "old"};
    readSettings(realFileSystem(), dir / "Liedwerk.ini", fromFile);
    EXPECT_EQ(fromFile, GetParam().expected);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lenient, ReadSettings,
    ::testing::Values(
        ReadCase{"GermanNoDrive", "\"1\",\"\",\"\"\r\n", {"1", "", ""}},
        ReadCase{"EnglishDriveE", "\"2\",\"e:\",\"\"\r\n", {"2", "e:", ""}},
        ReadCase{"OnlyTheLanguage", "\"2\"", {"2", "z:", "old"}},
        ReadCase{"OnlyTheLanguageAndLineEnd", "\"2\"\r\n", {"2", "z:", "old"}},
        ReadCase{"TwoFields", "\"2\",\"e:\"", {"2", "e:", "old"}},
        ReadCase{"Unquoted", "2,e:,kept", {"2", "e:", "kept"}},
        ReadCase{"UnquotedWithBlanks", "  2 ,  e:  , a b \r\n", {"2", "e:", "a b"}},
        ReadCase{"QuotedKeepsBlanksAndCommas", "\" 2\",\"e:, f:\",\" r \"", {" 2", "e:, f:", " r "}},
        ReadCase{"Mixed", "1,\"e:\",x\r\n", {"1", "e:", "x"}},
        ReadCase{"EmptyUnquotedFields", "2,,\r\n", {"2", "", ""}},
        ReadCase{"LfOnly", "\"2\",\"e:\",\"r\"\n", {"2", "e:", "r"}},
        ReadCase{"LeadingEmptyLines", "\r\n\r\n\"2\",\"e:\",\"\"", {"2", "e:", ""}},
        ReadCase{"FieldsOnSeparateLines", "\"2\"\r\n\"e:\"\r\n\"r\"\r\n", {"2", "e:", "r"}},
        ReadCase{"MoreThanThreeFields", "\"2\",\"e:\",\"r\",\"extra\"\r\n", {"2", "e:", "r"}},
        ReadCase{"UnclosedQuote", "\"2", {"2", "z:", "old"}}, ReadCase{"EmptyFile", "", {"9", "z:", "old"}},
        ReadCase{"OnlyLineEnds", "\r\n\r\n", {"9", "z:", "old"}},
        ReadCase{
            "Utf8DriveName", "\"2\",\"/media/K\xC3\xA4rtchen\",\"\"", {"2", "/media/K\xC3\xA4rtchen", ""}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ReadSettings, GarbageNeverCrashesAndReadsAtMostThreeFields) {
    // Bytes of every value, including NUL, quotes, commas and line ends, in many mixes.
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 37 + i / 7) & 0xFF);
    for (std::size_t len = 0; len < garbage.size(); len += 97) {
        Settings s{"", "", ""};
        parseSettings(std::string_view(garbage).substr(len % 300, len), s);
        EXPECT_LE(s.languageId.size() + s.cardDrive.size() + s.reserved.size(), len);
    }
}

TEST(ReadSettings, AMissingFileChangesNothing) {
    TempDir dir;
    Settings s{"2", "e:", "r"};
    readSettings(realFileSystem(), dir / "Liedwerk.ini", s);
    EXPECT_EQ(s, (Settings{"2", "e:", "r"}));
}

TEST(ReadSettings, AHugeFileIsReadOnlyAsFarAsItsFirstFieldsNeed) {
    TempDir dir;
    writeText(dir / "Liedwerk.ini", "\"2\",\"e:\",\"" + std::string(200000, 'r') + "\"\r\n");
    Settings s;
    readSettings(realFileSystem(), dir / "Liedwerk.ini", s);
    EXPECT_EQ(s.languageId, "2");
    EXPECT_EQ(s.cardDrive, "e:");
}

} // namespace
} // namespace lw
