// liedwerk-cli list, run in-process with string streams: the JSON and text of the four
// shipped samples, the alphabetical order, and every way the command refuses, with its
// exit status and message.
#include "SampleBackup.h"
#include "backup/BackupFaultFs.h"
#include "cli/Cli.h"
#include "cli/MiniJson.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace lw {
namespace {

using test::JsonValue;
using test::parseJson;
using test::TempDir;

using test::CliRun;

CliRun runCliWith(const std::vector<std::string>& args, FileSystem& fs = realFileSystem()) {
    return test::runCliInProcess(args, fs);
}

std::string sample(const std::string& kind) {
    return pathToUtf8(test::sampleDir(kind));
}

// The one line that an error puts on the error stream.
void expectOneErrorLine(const CliRun& run) {
    EXPECT_EQ(run.err.rfind("liedwerk-cli: ", 0), 0u) << run.err;
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

std::vector<const JsonValue*> rowsOfType(const JsonValue& doc, const std::string& type) {
    std::vector<const JsonValue*> out;
    for (const auto& r : doc["rows"].array)
        if (r["type"].string == type)
            out.push_back(&r);
    return out;
}

// The reader the tests check the output with refuses what is not JSON.
TEST(MiniJson, RefusesWhatIsNotJson) {
    for (const char* bad : {"", "{", "{\"a\": 1,}", "{a: 1}", "[1 2]", "\"raw\ttab\"", "\"\\x\"",
                            "\"\\u12zz\"", "01", "1.", "tru", "{} x", "\"open"}) {
        EXPECT_THROW(parseJson(bad), std::runtime_error) << bad;
    }
    const JsonValue ok = parseJson(" {\"a\": [true, false, null, -1.5e2, \"\\u00e4\\n\"]} ");
    EXPECT_EQ(ok["a"][3].number, -150);
    EXPECT_EQ(ok["a"][4].string, "\xC3\xA4\n");
}

// ===== the samples as JSON =====

std::string folderRow(const std::string& text, const std::string& number, bool marked) {
    return "{\"type\": \"folder\", \"text\": \"" + text + "\", \"number\": \"" + number +
           "\", \"marked\": " + (marked ? "true" : "false") + "}";
}

std::string songRow(const std::string& text, const std::string& number, const std::string& name,
                    const std::string& index) {
    return "{\"type\": \"song\", \"text\": \"" + text + "\", \"number\": \"" + number + "\", \"name\": \"" +
           name + "\", \"index\": \"" + index + "\", \"marked\": true}";
}

TEST(CliListJson, Kn5000SampleExactly) {
    std::vector<std::string> rows = {
        folderRow("Ouvertüre", "001", true),
        songRow("Auf der Alm", "01", "Auf der Alm", "00101"),
        songRow("Grüße aus Köln", "03", "Grüße aus Köln", "00103"),
        folderRow("Café Lieder", "002", true),
        songRow("Café Noir", "02", "Café Noir", "00202"),
        folderRow("My Folder", "003", true),
        songRow("Blue Night", "01", "Blue Night", "00301"),
        songRow("Evening Star Ser", "05", "Evening Star Serenade 2001", "00305"),
        folderRow("", "004", false),
        folderRow("Fête & Bal", "005", true),
        songRow("Valse à trois te", "02", "Valse à trois temps", "00502"),
        songRow("Missing Files So", "09", "Missing Files Song", "00509"),
    };
    for (int n = 6; n <= 119; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", n);
        rows.push_back(folderRow("", number, false));
    }
    rows.push_back(folderRow("", "120", true));
    rows.push_back(songRow("Last Of All", "16", "Last Of All", "12016"));
    std::string expected = "{\"kind\": \"KN5000\", \"songs\": 8, \"rows\": [";
    for (std::size_t i = 0; i < rows.size(); ++i)
        expected += (i ? ",\n  " : "\n  ") + rows[i];
    expected += "\n]}\n";

    const CliRun run = runCliWith({"list", sample("kn5000"), "--json"});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);
}

struct SampleFacts {
    std::string sample;
    std::string kind;
    int songs;
    std::size_t folders;
    std::vector<std::string> indexes; // every song's Index, in list order
};

class CliListSample : public ::testing::TestWithParam<SampleFacts> {};

TEST_P(CliListSample, StandardOrder) {
    const SampleFacts& f = GetParam();
    const CliRun run = runCliWith({"list", sample(f.sample), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    const JsonValue doc = parseJson(run.out);
    EXPECT_EQ(doc.keys(), (std::vector<std::string>{"kind", "songs", "rows"}));
    EXPECT_EQ(doc["kind"].string, f.kind);
    EXPECT_EQ(doc["songs"].number, f.songs);
    EXPECT_EQ(rowsOfType(doc, "folder").size(), f.folders);
    const auto songs = rowsOfType(doc, "song");
    ASSERT_EQ(songs.size(), f.indexes.size());
    for (std::size_t i = 0; i < songs.size(); ++i) {
        const JsonValue& s = *songs[i];
        EXPECT_EQ(s.keys(), (std::vector<std::string>{"type", "text", "number", "name", "index", "marked"}));
        EXPECT_EQ(s["index"].string, f.indexes[i]);
        EXPECT_TRUE(s["marked"].boolean);
        EXPECT_EQ(s["number"].string, f.indexes[i].substr(f.indexes[i].size() - 2));
    }
    for (const JsonValue* folder : rowsOfType(doc, "folder"))
        EXPECT_EQ(folder->keys(), (std::vector<std::string>{"type", "text", "number", "marked"}));
    EXPECT_EQ(doc["rows"].array.size(), f.folders + f.indexes.size());
}

TEST_P(CliListSample, AlphabeticalOrderHasTheSameSongsSortedWithoutFolders) {
    const SampleFacts& f = GetParam();
    const CliRun run = runCliWith({"list", sample(f.sample), "--json", "--order", "alphabetical"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const JsonValue doc = parseJson(run.out);
    EXPECT_EQ(doc["songs"].number, f.songs);
    EXPECT_TRUE(rowsOfType(doc, "folder").empty());
    const auto& rows = doc["rows"].array;
    ASSERT_EQ(rows.size(), f.indexes.size());
    std::vector<std::string> indexes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        indexes.push_back(rows[i]["index"].string);
        const std::string& idx = rows[i]["index"].string;
        const std::string five = std::string(5 - idx.size(), '0') + idx;
        EXPECT_EQ(rows[i]["number"].string, five.substr(0, 3) + "-" + five.substr(3));
    }
    std::vector<std::string> sortedIndexes = indexes;
    std::sort(sortedIndexes.begin(), sortedIndexes.end());
    std::vector<std::string> expected = f.indexes;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedIndexes, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, CliListSample,
    ::testing::Values(
        SampleFacts{"kn2000", "KN2000", 7, 40, {"0101", "0102", "0115", "0201", "0204", "0302", "0503"}},
        SampleFacts{"kn3000", "KN3000", 6, 96, {"0101", "0102", "0207", "0301", "0305", "0516"}},
        SampleFacts{"kn5000",
                    "KN5000",
                    8,
                    120,
                    {"00101", "00103", "00202", "00301", "00305", "00502", "00509", "12016"}},
        SampleFacts{
            "kn6000",
            "KN6000/6500",
            10,
            240,
            {"00101", "00102", "00103", "00201", "00216", "00304", "00401", "00402", "01005", "24016"}}),
    [](const auto& info) { return info.param.sample; });

TEST(CliListJson, Kn3000AlphabeticalOrderExactly) {
    const CliRun run = runCliWith({"list", sample("kn3000"), "--order=alphabetical", "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const JsonValue doc = parseJson(run.out);
    std::vector<std::string> texts;
    for (const auto& r : doc["rows"].array)
        texts.push_back(r["text"].string);
    EXPECT_EQ(texts, (std::vector<std::string>{"Highway Drive", "Quiet Evening", "Rumba Rosa", "Samba de Sol",
                                               "Sixteenth Place ", "Thunder Road Boo"}));
    EXPECT_EQ(doc["rows"][4]["name"].string, "Sixteenth Place Song");
    EXPECT_EQ(doc["rows"][4]["number"].string, "005-16");
}

TEST(CliListJson, Kn6000SampleKeyFacts) {
    const CliRun run = runCliWith({"list", sample("kn6000"), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    const JsonValue doc = parseJson(run.out);
    const auto& rows = doc["rows"].array;
    EXPECT_EQ(rows.back()["index"].string, "24016");
    EXPECT_EQ(rows.back()["text"].string, "Final Bow");
    EXPECT_EQ(rows[rows.size() - 2]["text"].string, "The Very Last");
    EXPECT_EQ(rows[rows.size() - 2]["number"].string, "240");
    const auto folders = rowsOfType(doc, "folder");
    EXPECT_EQ((*folders[9])["text"].string, "Folder Ten");
    EXPECT_TRUE((*folders[9])["marked"].boolean);
    EXPECT_FALSE((*folders[4])["marked"].boolean);
    EXPECT_EQ((*folders[1])["text"].string, "Jazz Corner");
}

TEST(CliListJson, NamesWithQuotesBackslashesAndControlsStayValidJson) {
    TempDir dir;
    samples::SampleBackup b;
    b.kind = KeyboardKind::KN5000;
    b.folderNames = {"Tab\there \"q\""};
    b.songs = {{1,
                1,
                "Say \"Hi\" \\ \x01"
                "end\xC2\x81\xE2\x82\xAC",
                {},
                0}};
    samples::writeSampleBackup(b, dir.path());
    const CliRun run = runCliWith({"list", pathToUtf8(dir.path()), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    JsonValue doc;
    ASSERT_NO_THROW(doc = parseJson(run.out)) << run.out;
    EXPECT_EQ(doc["rows"][0]["text"].string, "Tab\there \"q\"");
    EXPECT_EQ(doc["rows"][1]["name"].string, "Say \"Hi\" \\ \x01"
                                             "end\xC2\x81\xE2\x82\xAC");
    EXPECT_EQ(doc["rows"][1]["text"].string, "Say \"Hi\" \\ \x01"
                                             "end\xC2\x81"); // 16 characters
}

// The shipped samples are what the generator makes: a change of either shows here.
TEST(Samples, MatchTheGenerator) {
    TempDir dir;
    for (const auto& b : samples::shippedSamples()) {
        const std::string name = samples::sampleFolderName(b.kind);
        samples::writeSampleBackup(b, dir / name);
        std::vector<std::string> generated;
        for (const auto& e : std::filesystem::directory_iterator(dir / name))
            generated.push_back(pathToUtf8(e.path().filename()));
        std::vector<std::string> shipped;
        for (const auto& e : std::filesystem::directory_iterator(test::sampleDir(name)))
            shipped.push_back(pathToUtf8(e.path().filename()));
        std::sort(generated.begin(), generated.end());
        std::sort(shipped.begin(), shipped.end());
        ASSERT_EQ(generated, shipped) << name;
        for (const auto& file : generated)
            EXPECT_EQ(test::readBytes(dir / name / file), test::readBytes(test::sampleDir(name) / file))
                << name << "/" << file;
    }
}

// ===== text output =====

TEST(CliListText, Kn5000Sample) {
    const CliRun run = runCliWith({"list", sample("kn5000")});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string& out = run.out;
    EXPECT_EQ(out.rfind("KN5000 backup: 8 songs, 8 marked\n", 0), 0u) << out;
    EXPECT_NE(out.find("\n[x] 003  My Folder\n    [x] 01  00301  Blue Night\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n    [x] 05  00305  Evening Star Ser  (Evening Star Serenade 2001)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\n[ ] 004  \n[x] 005  Fête & Bal\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Grüße aus Köln"), std::string::npos);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1 + 120 + 8);
}

TEST(CliListText, AlphabeticalHasNoFolderRowsAndNoIndent) {
    const CliRun run = runCliWith({"list", sample("kn2000"), "--order", "alphabetical"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, "KN2000 backup: 7 songs, 7 marked\n"
                       "[x] 005-03  0503  Blue Danube Memo  (Blue Danube Memories)\n"
                       "[x] 001-15  0115  Last Place In Fo  (Last Place In Folder One)\n"
                       "[x] 002-04  0204  Lost Tune\n"
                       "[x] 001-01  0101  Moonlit Harbour\n"
                       "[x] 001-02  0102  Old Mill Polka\n"
                       "[x] 002-01  0201  Saturday Shuffle\n"
                       "[x] 003-02  0302  Scale Exercise i  (Scale Exercise in C major)\n");
}

// ===== refusals =====

struct ErrorCase {
    const char* label;
    std::vector<std::string> args; // {dir} stands for a prepared directory
    int status;
    std::vector<std::string> errMentions;
};

class CliListError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliListError, ExitsWithItsStatusAndOneLine) {
    const ErrorCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> args;
    for (std::string a : c.args) {
        if (a.rfind("{dir}", 0) == 0)
            a = pathToUtf8(dir.path()) + a.substr(5);
        else if (a.rfind("{kn5000}", 0) == 0)
            a = sample("kn5000") + a.substr(8);
        args.push_back(a);
    }
    const CliRun run = runCliWith(args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    expectOneErrorLine(run);
    for (std::string mention : c.errMentions) {
        if (mention == "{dir}")
            mention = pathToUtf8(dir.path());
        EXPECT_NE(run.err.find(mention), std::string::npos) << "missing " << mention << " in " << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Usage, CliListError,
    ::testing::Values(ErrorCase{"UnknownOption", {"list", "{kn5000}", "--frobnicate"}, 2, {"--frobnicate"}},
                      ErrorCase{
                          "BadOrder", {"list", "{kn5000}", "--order", "random"}, 2, {"--order", "random"}},
                      ErrorCase{"BadOrderInline", {"list", "{kn5000}", "--order=Standard"}, 2, {"Standard"}},
                      ErrorCase{"OrderWithoutValue", {"list", "{kn5000}", "--order"}, 2, {"--order"}},
                      ErrorCase{"JsonWithValue", {"list", "{kn5000}", "--json=yes"}, 2, {"--json"}},
                      ErrorCase{"NoDirectory", {"list"}, 2, {"backup directory"}},
                      ErrorCase{"TwoDirectories", {"list", "{kn5000}", "{dir}"}, 2, {"one backup directory"}},
                      ErrorCase{"UnknownCommand", {"lsit", "{kn5000}"}, 2, {"lsit"}}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Backups, CliListError,
    ::testing::Values(
        ErrorCase{"EmptyDirectory", {"list", "{dir}", "--json"}, 1, {"{dir}", "no backup"}},
        ErrorCase{"MissingDirectory", {"list", "/nonexistent/liedwerk/kn"}, 1, {"/nonexistent/liedwerk/kn"}},
        ErrorCase{"AFileNotADirectory", {"list", "{kn5000}/Fileblk.dat"}, 1, {"Fileblk.dat"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CliListErrorUsage, NoArgumentsPrintsTheUsageOnTheErrorStream) {
    const CliRun run = runCliWith({});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("usage: liedwerk-cli"), std::string::npos);
}

TEST(CliList, HelpPrintsItsUsageAndSucceeds) {
    const CliRun run = runCliWith({"list", "--help"});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out.rfind("usage: liedwerk-cli list BACKUP_DIR", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(runCliWith({"--help"}).status, kExitOk);
}

TEST(CliList, ManagerIniBesideAKn5000OrKn6000IsRefused) {
    for (const char* kind : {"kn5000", "kn6000"}) {
        TempDir dir;
        std::filesystem::copy(test::sampleDir(kind), dir.path(), std::filesystem::copy_options::recursive);
        test::writeBytes(dir / "Manager.ini", {'[', ']'});
        const CliRun run = runCliWith({"list", pathToUtf8(dir.path()), "--json"});
        EXPECT_EQ(run.status, kExitError) << kind;
        EXPECT_EQ(run.out, "");
        expectOneErrorLine(run);
        EXPECT_NE(run.err.find("Manager.ini"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(pathToUtf8(dir.path())), std::string::npos) << run.err;
    }
}

TEST(CliList, ManagerIniBesideAKn2000IsLoaded) {
    TempDir dir;
    std::filesystem::copy(test::sampleDir("kn2000"), dir.path(), std::filesystem::copy_options::recursive);
    test::writeBytes(dir / "Manager.ini", {'[', ']'});
    const CliRun run = runCliWith({"list", pathToUtf8(dir.path()), "--json"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(parseJson(run.out)["kind"].string, "KN2000");
}

TEST(CliList, AnUnreadableTableNamesTheFileAndTheReason) {
    test::BackupFaultFs fs;
    fs.failOpenName = "Fileblk.dat";
    fs.openErrno = EACCES;
    const CliRun run = runCliWith({"list", sample("kn5000"), "--json"}, fs);
    EXPECT_EQ(run.status, kExitError);
    EXPECT_EQ(run.out, "");
    expectOneErrorLine(run);
    EXPECT_NE(run.err.find(pathToUtf8(test::sampleDir("kn5000") / "Fileblk.dat")), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(std::generic_category().message(EACCES)), std::string::npos) << run.err;
}

TEST(CliList, AFolderTableThatFailsMidwayIsAnError) {
    test::BackupFaultFs fs;
    fs.failReadName = "Sx6bck.sxd";
    fs.readFailAfter = 100;
    const CliRun run = runCliWith({"list", sample("kn6000")}, fs);
    EXPECT_EQ(run.status, kExitError);
    EXPECT_EQ(run.out, "");
    expectOneErrorLine(run);
    EXPECT_NE(run.err.find("Sx6bck.sxd"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(std::generic_category().message(EIO)), std::string::npos) << run.err;
}

TEST(CliList, AMissingTableOfARecognisedKn3000IsAnError) {
    TempDir dir;
    test::writeBytes(dir / "filedir.dat", {0});
    const CliRun run = runCliWith({"list", pathToUtf8(dir.path())});
    EXPECT_EQ(run.status, kExitError);
    expectOneErrorLine(run);
    EXPECT_NE(run.err.find("Filenew.dat"), std::string::npos) << run.err;
}

TEST(CliList, AShortTableWarnsOnTheErrorStreamAndStillLists) {
    TempDir dir;
    std::filesystem::copy(test::sampleDir("kn5000"), dir.path(), std::filesystem::copy_options::recursive);
    std::filesystem::resize_file(dir / "Fileblk.dat", 76 * 3 + 10); // records 1 to 3 and a bit of 4
    std::filesystem::resize_file(dir / "dirblk.dat", 16 * 2);       // folders 1 and 2
    const CliRun run = runCliWith({"list", pathToUtf8(dir.path()), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_NE(run.err.find("liedwerk-cli: warning: the song table " + pathToUtf8(dir / "Fileblk.dat")),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("liedwerk-cli: warning: the folder table " + pathToUtf8(dir / "dirblk.dat")),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
    const JsonValue doc = parseJson(run.out);
    EXPECT_EQ(doc["songs"].number, 2);
    EXPECT_EQ(rowsOfType(doc, "folder").size(), 120u);
    EXPECT_EQ(doc["rows"][0]["text"].string, "Ouvertüre");
    EXPECT_EQ(doc["rows"][3]["text"].string, "Café Lieder");
    EXPECT_EQ(doc["rows"][4]["text"].string, ""); // folder 3 is beyond the cut
}

TEST(CliList, UpperCaseTableNamesAndABackupPathWithASeparator) {
    const CliRun run = runCliWith({"list", sample("kn3000") + "/", "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(parseJson(run.out)["kind"].string, "KN3000");
}

} // namespace
} // namespace lw
