// The settings file: the exact line written, a write that replaces whatever was there or
// refuses a value the line cannot hold, and the lenient reading of hand-edited files.
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

using test::TempDir;

void writeText(const std::filesystem::path& path, const std::string& text) {
    test::writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The three fields as "language|drive|reserved", for comparing.
std::string fields(const Settings& s) {
    return s.languageId + "|" + s.cardDrive + "|" + s.reserved;
}

TEST(WriteSettings, ReplacesTheFileWithOneLineOfThreeQuotedFieldsEndedByCrLf) {
    TempDir dir;
    writeText(dir / "Liedwerk.ini", "\"1\",\"f:\",\"something long kept here\"\r\nsecond line\r\n");
    ASSERT_TRUE(writeSettings(realFileSystem(), dir / "Liedwerk.ini", {"2", "e:", ""}));
    EXPECT_EQ(test::readText(dir / "Liedwerk.ini"), "\"2\",\"e:\",\"\"\r\n");
    for (const Settings& s :
         {Settings{"1", "", ""}, Settings{"0", "/media/card", "x, y"}, Settings{"4", "F:\\", " b "}}) {
        ASSERT_TRUE(writeSettings(realFileSystem(), dir / "Liedwerk.ini", s));
        Settings back{"junk", "junk", "junk"};
        readSettings(realFileSystem(), dir / "Liedwerk.ini", back);
        EXPECT_EQ(fields(back), fields(s));
    }
}

// A mount point may hold a quote or a line end: such a value could not be read back, so
// it is refused and the file keeps what it had.
TEST(WriteSettings, RefusesAValueTheLineCannotHoldAndAMissingFolder) {
    TempDir dir;
    const auto file = dir / "Liedwerk.ini";
    ASSERT_TRUE(writeSettings(realFileSystem(), file, {"2", "e:", ""}));
    for (const char* drive : {"/media/anna/My \"Card\"", "/media/x\ny"})
        EXPECT_EQ(writeSettings(realFileSystem(), file, {"2", drive, ""}).code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(test::readText(file), "\"2\",\"e:\",\"\"\r\n");
    EXPECT_FALSE(writeSettings(realFileSystem(), dir / "missing" / "Liedwerk.ini", {"1", "", ""}));
}

// Fields are quoted or bare (trimmed). Reading stops silently at the first field that is not
// there: the fields read before it take their new values, the others keep "9|z:|old".
TEST(ReadSettings, Leniently) {
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "9|z:|old"}, // no file
        {"\"2\",\"e:\",\"\"\r\n", "2|e:|"},
        {"\"2\"\r\n", "2|z:|old"},
        {"2,e:,kept\r\n", "2|e:|kept"},
        {"  2 ,  e:  , a b \r\n", "2|e:|a b"},
        {"\" 2\",\"e:, f:\",\" r \"", " 2|e:, f:| r "},
        {"\r\n\"2\"\r\n\"e:\"\n\"r\"\r\n", "2|e:|r"}, // fields on lines of their own
        {"\"2\",\"e:\",\"r\",\"extra\"\r\n", "2|e:|r"},
        {"\"2", "2|z:|old"},
        {"\r\n\r\n", "9|z:|old"}};
    for (const auto& [content, expected] : cases) {
        TempDir dir;
        if (content)
            writeText(dir / "Liedwerk.ini", content);
        Settings s{"9", "z:", "old"};
        readSettings(realFileSystem(), dir / "Liedwerk.ini", s);
        EXPECT_EQ(fields(s), expected) << (content ? content : "no file");
    }
}

} // namespace
} // namespace lw
