// liedwerk-cli list: the KN5000 sample's JSON byte for byte from the real program, the text layout in both
// orders with names that hold quotes and control characters, and every way the command refuses.
#include "SampleBackup.h"
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCliInProcess;

// Outside tests compare the program's output byte for byte: one row a line, ", " and ": " between items.
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
    const auto quoted = [](const fs::path& p) { return "\"" + pathToUtf8(p) + "\""; };
    std::string command = quoted(LIEDWERK_CLI_BINARY) + " list " + quoted(test::sampleDir("kn5000")) +
                          " --json > " + quoted(dir / "out.txt");
#ifdef _WIN32
    command = "\"" + command + "\""; // cmd.exe drops the first and the last quote
#endif
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::readText(dir / "out.txt"), expected);
}

using Strings = std::vector<std::string>;

struct Row {
    Strings args; // "{tmp}/" stands for the test's folder
    int status;
    Strings shows; // the start of standard output, or pieces of the error stream
    int errLines = 1;
};

const std::string kName = "Say \"Hi\" \\ \x1B"
                          "end\xC2\x81\xE2\x82\xAC"; // ends in U+0081 and the euro sign

const Row kRows[] = {
    // Sorted by text, ignoring letter case; no folder rows, no indent, the number as folder-place.
    {Strings{"list", "kn2000", "--order", "alphabetical"}, kExitOk,
     Strings{"KN2000 backup: 7 songs, 7 marked\n[x] 005-03  0503  Blue Danube Memo  (Blue Danube Memories)\n"
             "[x] 001-15  0115  Last Place In Fo  (Last Place In Folder One)\n[x] 002-04  0204  Lost Tune\n"},
     0},
    // Songs indented under their folder; control characters (C0 and C1) shown as \xNN.
    {Strings{"list", "names"}, kExitOk,
     Strings{"KN5000 backup: 1 songs, 1 marked\n[x] 001  Tab\\x09here \"q\"\n    [x] 01  00101  Say \"Hi\" "
             "\\ \\x1Bend\\x81  (Say \"Hi\" \\ \\x1Bend\\x81\xE2\x82\xAC)\n[ ] 002  \n"},
     0},
    // An error is one line naming what is wrong, and nothing on standard output; a table cut
    // short is one warning line each, and the list still comes out.
    {Strings{"list", "empty", "--frobnicate"}, kExitUsage, Strings{"--frobnicate"}},
    {Strings{"list", "empty", "--json=yes"}, kExitUsage, Strings{"--json"}},
    {Strings{"list"}, kExitUsage, Strings{"backup directory"}},
    {Strings{"list", "empty", "short"}, kExitUsage, Strings{"one backup directory"}},
    {Strings{"lsit", "empty"}, kExitUsage, Strings{"lsit"}},
    {Strings{"list", "empty"}, kExitError, Strings{"empty", "no backup"}},
    {Strings{"list", "missing"}, kExitError, Strings{"missing"}},
    {Strings{"list", "short/Fileblk.dat"}, kExitError, Strings{"short/Fileblk.dat"}},
    {Strings{"list", "manager"}, kExitError, Strings{"manager", "Manager.ini"}},
    {Strings{"list", "locked"}, kExitError, Strings{"locked", "Fileblk.dat", "Permission denied"}},
    {Strings{"list", "short"}, kExitOk, Strings{"song table short", "folder table short"}, 2},
};

TEST(CliList, EachCommandLineShowsAndExitsAsItShould) {
    test::TempDir tmp;
    for (const auto& [copy, kind] :
         {std::pair{"kn2000", "kn2000"}, {"manager", "kn6000"}, {"locked", "kn5000"}, {"short", "kn5000"}})
        fs::copy(test::sampleDir(kind), tmp / copy, fs::copy_options::recursive);
    fs::create_directory(tmp / "empty");
    test::writeBytes(tmp / "manager" / "Manager.ini", {'[', ']'});
    fs::resize_file(tmp / "short" / "Fileblk.dat", 76 * 3 + 10); // records 1 to 3 and a bit of 4
    fs::resize_file(tmp / "short" / "dirblk.dat", 16 * 2);
    samples::writeSampleBackup({KeyboardKind::KN5000, {"Tab\there \"q\""}, {{1, 1, kName, {}, 0}}},
                               tmp / "names");
    test::FaultyFileSystem faulty;
    faulty.failOn(test::FsOp::OpenRead, "locked/Fileblk.dat", ErrorCode::PermissionDenied,
                  "Permission denied");
    fs::current_path(tmp.path()); // the command lines name the folders below it
    for (const Row& r : kRows) {
        SCOPED_TRACE(::testing::PrintToString(r.args));
        const CliRun run = runCliInProcess(r.args, faulty);
        EXPECT_EQ(std::pair(run.status, run.out.empty()), std::pair(r.status, r.status != kExitOk));
        EXPECT_TRUE(r.errLines == 0 || run.err.starts_with("liedwerk-cli: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), r.errLines) << run.err;
        for (const auto& piece : r.shows)
            EXPECT_TRUE(r.errLines ? run.err.find(piece) != std::string::npos : run.out.starts_with(piece))
                << run.out << run.err;
    }
    // JSON escapes the controls and stays valid UTF-8.
    const auto doc = nlohmann::ordered_json::parse(runCliInProcess({"list", "names", "--json"}).out);
    EXPECT_EQ(
        std::tuple(doc["rows"][0]["text"], doc["rows"][1]["name"], doc["rows"][1]["text"]),
        std::tuple("Tab\there \"q\"", kName, kName.substr(0, kName.size() - 3))); // the first 16 characters
    fs::current_path(test::sourceDir());
}

} // namespace
} // namespace lw
