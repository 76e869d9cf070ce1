// liedwerk-cli list: the KN5000 sample's JSON byte for byte (in-process and from the real
// program), the text layout in both orders, names with quotes and control characters, and
// every way the command refuses.
#include "SampleBackup.h"
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCliInProcess;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string sample(const std::string& kind) {
    return pathToUtf8(test::sampleDir(kind));
}

// The real program, through the shell: its exit status (0 whenever std::system gives 0) and streams.
CliRun runCliBinary(const std::string& args, const test::TempDir& dir) {
    const auto quoted = [](const fs::path& p) { return "\"" + pathToUtf8(p) + "\""; };
    std::string command = quoted(LIEDWERK_CLI_BINARY) + " " + args + " > " + quoted(dir / "out.txt") +
                          " 2> " + quoted(dir / "err.txt");
#ifdef _WIN32
    command = "\"" + command + "\""; // cmd.exe drops the first and the last quote
#endif
    const int status = std::system(command.c_str());
    return {status, test::readText(dir / "out.txt"), test::readText(dir / "err.txt")};
}

// Outside tests compare this output byte for byte: one row a line, ", " and ": " between items.
TEST(CliList, Kn5000JsonExactly) {
    std::string expected = R"({"kind": "KN5000", "songs": 8, "rows": [
  {"type": "folder", "text": "Ouvertüre", "number": "001", "marked": true},
  {"type": "song", "text": "Auf der Alm", "number": "01", "name": "Auf der Alm", "index": "00101", "marked": true},
  {"type": "song", "text": "Grüße aus Köln", "number": "03", "name": "Grüße aus Köln", "index": "00103", "marked": true},
  {"type": "folder", "text": "Café Lieder", "number": "002", "marked": true},
  {"type": "song", "text": "Café Noir", "number": "02", "name": "Café Noir", "index": "00202", "marked": true},
  {"type": "folder", "text": "My Folder", "number": "003", "marked": true},
  {"type": "song", "text": "Blue Night", "number": "01", "name": "Blue Night", "index": "00301", "marked": true},
  {"type": "song", "text": "Evening Star Ser", "number": "05", "name": "Evening Star Serenade 2001", "index": "00305", "marked": true},
  {"type": "folder", "text": "", "number": "004", "marked": false},
  {"type": "folder", "text": "Fête & Bal", "number": "005", "marked": true},
  {"type": "song", "text": "Valse à trois te", "number": "02", "name": "Valse à trois temps", "index": "00502", "marked": true},
  {"type": "song", "text": "Missing Files So", "number": "09", "name": "Missing Files Song", "index": "00509", "marked": true})";
    for (int n = 6; n <= 119; ++n)
        expected += ",\n  {\"type\": \"folder\", \"text\": \"\", \"number\": \"" +
                    std::to_string(1000 + n).substr(1) + "\", \"marked\": false}";
    expected += R"(,
  {"type": "folder", "text": "", "number": "120", "marked": true},
  {"type": "song", "text": "Last Of All", "number": "16", "name": "Last Of All", "index": "12016", "marked": true}
]}
)";
    test::TempDir dir;
    for (const CliRun& run : {runCliInProcess({"list", sample("kn5000"), "--json"}),
                              runCliBinary("list \"" + sample("kn5000") + "\" --json", dir)}) {
        EXPECT_EQ(run.status, kExitOk);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, expected);
    }
}

// Sorted by text, ignoring letter case; no folder rows, no indent, the number as folder-place.
TEST(CliList, Kn2000AlphabeticalTextExactly) {
    const CliRun run = runCliInProcess({"list", sample("kn2000"), "--order", "alphabetical"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, "KN2000 backup: 7 songs, 7 marked\n"
                       "[x] 005-03  0503  Blue Danube Memo  (Blue Danube Memories)\n"
                       "[x] 001-15  0115  Last Place In Fo  (Last Place In Folder One)\n"
                       "[x] 002-04  0204  Lost Tune\n"
                       "[x] 001-01  0101  Moonlit Harbour\n"
                       "[x] 001-02  0102  Old Mill Polka\n"
                       "[x] 002-01  0201  Saturday Shuffle\n"
                       "[x] 003-02  0302  Scale Exercise i  (Scale Exercise in C major)\n");
}

// Names keep their quotes, backslashes and control characters (C0 and C1): the text shows the
// controls as \xNN, JSON escapes them and stays valid UTF-8. In the standard order the songs
// stand indented under their folder.
TEST(CliList, NamesWithQuotesAndControlCharacters) {
    test::TempDir dir;
    samples::SampleBackup b;
    b.folderNames = {"Tab\there \"q\""};
    const std::string name = "Say \"Hi\" \\ \x1B"
                             "end\xC2\x81\xE2\x82\xAC"; // ends in U+0081 and the euro sign
    b.songs = {{1, 1, name, {}, 0}};
    samples::writeSampleBackup(b, dir.path());

    const CliRun text = runCliInProcess({"list", pathToUtf8(dir.path())});
    EXPECT_THAT(text.out, StartsWith("KN5000 backup: 1 songs, 1 marked\n"
                                     "[x] 001  Tab\\x09here \"q\"\n"
                                     "    [x] 01  00101  Say \"Hi\" \\ \\x1Bend\\x81  "
                                     "(Say \"Hi\" \\ \\x1Bend\\x81\xE2\x82\xAC)\n"
                                     "[ ] 002  \n"));

    const CliRun json = runCliInProcess({"list", pathToUtf8(dir.path()), "--json"});
    EXPECT_EQ(json.out.find('\x1B'), std::string::npos) << json.out;
    const auto doc = nlohmann::ordered_json::parse(json.out);
    EXPECT_EQ(doc["rows"][0]["text"], "Tab\there \"q\"");
    EXPECT_EQ(doc["rows"][1]["name"], name);
    EXPECT_EQ(doc["rows"][1]["text"], name.substr(0, name.size() - 3)); // its first 16 characters
}

// ===== refusals, and the warning about a table cut short =====

struct Refusal {
    std::vector<std::string> args; // "{tmp}/" stands for the test's folder and a separator
    int status;
    std::vector<std::string> mentions; // in the error stream; "{tmp}/" as above
    int errLines = 1;
};

const Refusal kRefusals[] = {
    {{"list", "{tmp}/empty", "--frobnicate"}, kExitUsage, {"--frobnicate"}},
    {{"list", "{tmp}/empty", "--order"}, kExitUsage, {"--order"}},
    {{"list", "{tmp}/empty", "--json=yes"}, kExitUsage, {"--json"}},
    {{"list"}, kExitUsage, {"backup directory"}},
    {{"list", "{tmp}/empty", "{tmp}/short"}, kExitUsage, {"one backup directory"}},
    {{"lsit", "{tmp}/empty"}, kExitUsage, {"lsit"}},
    {{"list", "{tmp}/empty"}, kExitError, {"{tmp}/empty", "no backup"}},
    {{"list", "{tmp}/missing"}, kExitError, {"{tmp}/missing"}},
    {{"list", "{tmp}/short/Fileblk.dat"}, kExitError, {"{tmp}/short/Fileblk.dat"}},
    {{"list", "{tmp}/manager"}, kExitError, {"{tmp}/manager", "Manager.ini"}},
    {{"list", "{tmp}/locked"}, kExitError, {"{tmp}/locked", "Fileblk.dat", "Permission denied"}},
    {{"list", "{tmp}/short"}, kExitOk, {"song table {tmp}/short", "folder table {tmp}/short"}, 2},
};

// An error is one line naming what is wrong, and nothing on standard output; a table cut
// short is one warning line each, and the list still comes out.
TEST(CliList, RefusesWithItsStatusAndOneLineEach) {
    test::TempDir tmp;
    fs::create_directory(tmp / "empty");
    fs::copy(test::sampleDir("kn6000"), tmp / "manager", fs::copy_options::recursive);
    test::writeBytes(tmp / "manager" / "Manager.ini", {'[', ']'});
    fs::copy(test::sampleDir("kn5000"), tmp / "locked", fs::copy_options::recursive);
    test::FaultyFileSystem faulty;
    faulty.failOn(test::FsOp::OpenRead, "locked/Fileblk.dat", ErrorCode::PermissionDenied,
                  "Permission denied");
    fs::copy(test::sampleDir("kn5000"), tmp / "short", fs::copy_options::recursive);
    fs::resize_file(tmp / "short" / "Fileblk.dat", 76 * 3 + 10); // records 1 to 3 and a bit of 4
    fs::resize_file(tmp / "short" / "dirblk.dat", 16 * 2);
    const auto filled = [&](std::string text) {
        if (const auto at = text.find("{tmp}/"); at != std::string::npos)
            text.replace(at, 6, pathToUtf8(tmp.path() / ""));
        return text;
    };
    for (const Refusal& r : kRefusals) {
        std::vector<std::string> args;
        std::transform(r.args.begin(), r.args.end(), std::back_inserter(args), filled);
        SCOPED_TRACE(::testing::PrintToString(args));
        const CliRun run = runCliInProcess(args, faulty);
        EXPECT_EQ(run.status, r.status);
        EXPECT_EQ(run.out.empty(), r.status != kExitOk);
        EXPECT_THAT(run.err, StartsWith("liedwerk-cli: "));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), r.errLines) << run.err;
        for (const auto& m : r.mentions)
            EXPECT_THAT(run.err, HasSubstr(filled(m)));
    }
}

} // namespace
} // namespace lw
