// Restore.sdb: the writer (the golden file, names that do not fit, a source that fails, a medium
// that fills up), names without a safe place on a card, and the whole-file check that inspect
// and unpack share: the golden file read back, then with one corrupted field at a time.
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"

#include "card/CardLayout.h"
#include "support/MemoryOutputFile.h"
#include "support/SpanInputFile.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <numeric>
#include <tuple>

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kFolder = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\";
const std::string kSqtName = kFolder + "0100101_.SQT";

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

const std::filesystem::path kGolden = test::sourceDir() / "tests/data/card";

Bytes counting(std::size_t n) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), std::uint8_t{0});
    return b;
}

// A writer that has written the header into memory (full after `limit` bytes), and its buffer.
struct Writing {
    explicit Writing(std::size_t limit = SIZE_MAX) : file(limit) {}
    test::MemoryOutputFile file;
    RestoreFileWriter writer{file, "card/Restore.sdb"};
    Status header = writer.writeHeader();
    Bytes buffer = Bytes(8192);
};

// The golden file holds each kind of entry as a run writes it: the header, then each entry: its
// name, 0x00 to the end of 100 bytes, the data length least significant byte first (all four
// bytes of it), 24 x 0x00, the data. A song file is read in pieces of any size, and only its
// given length goes in.
TEST(RestoreFileWriter, WritesTheGoldenFileAndStreamsOnlyTheGivenLength) {
    const Bytes song = counting(20000);
    SpanInputFile empty({}), small(song, 64), large(song, 3000);
    Writing g, streamed, whole;
    EXPECT_TRUE(g.writer.appendEntry(kSqtName, bytesOf("SQT data")));
    EXPECT_TRUE(g.writer.appendFileEntry(kFolder + "0100101_.EFC", empty, "songs/00101.EFC", 0, g.buffer));
    EXPECT_TRUE(g.writer.appendFileEntry(kFolder + "0500105_.SQT", small, "songs/00105.SQT", 300, g.buffer));
    EXPECT_TRUE(g.writer.appendEntry(kFolder + "0500105_.ACT", bytesOf("ACT")));
    EXPECT_TRUE(g.writer.appendEntry(kInfEntryName, test::readBytes(kGolden / "KN7000MN.INF")));
    if (std::getenv("LIEDWERK_UPDATE_GOLDEN") != nullptr)
        test::writeBytes(kGolden / "Restore.sdb", g.file.bytes);
    const Bytes wanted = test::readBytes(kGolden / "Restore.sdb");
    EXPECT_TRUE(g.file.bytes == wanted)
        << "first difference at byte "
        << std::ranges::mismatch(g.file.bytes, wanted).in1 - g.file.bytes.begin();
    EXPECT_TRUE(streamed.writer.appendFileEntry(kSqtName, large, "songs/00101.SQT", 19000, streamed.buffer));
    EXPECT_TRUE(whole.writer.appendEntry(kSqtName, Bytes(song.begin(), song.begin() + 19000)));
    EXPECT_TRUE(streamed.file.bytes == whole.file.bytes);
    const auto head = restoreEntryHead(kSqtName, 0x04030201);
    ASSERT_TRUE(head && Bytes(head->begin() + 100, head->begin() + 104) == (Bytes{1, 2, 3, 4}));
}

// A name that does not fit is refused by both append operations before a byte is written.
TEST(RestoreFileWriter, NameMustFitItsFieldWithAClosingZero) {
    const Bytes y = bytesOf("y");
    const std::pair<std::string, bool> names[] = {{"\\" + std::string(98, 'A'), true},
                                                  {"\\" + std::string(99, 'A'), false},
                                                  {"", false},
                                                  {std::string("\\PRIVATE\0X", 10), false}};
    for (const auto& [name, accepted] : names) {
        SpanInputFile source(y);
        Writing w;
        EXPECT_EQ(w.writer.appendEntry(name, bytesOf("x")).isOk(), accepted) << name.size();
        EXPECT_EQ(w.writer.appendFileEntry(name, source, "songs/00101.SQT", 1, w.buffer).isOk(), accepted);
        EXPECT_EQ(w.file.bytes.size(), accepted ? 16u + 2 * 129 : 16u);
        EXPECT_TRUE(w.writer.appendEntry(kSqtName, bytesOf("ok"))) << "the writer is not spoilt";
    }
}

// A source that cannot give its bytes: no entry at all when nothing could be read; else the
// entry filled with 0x00 so the file stays readable. The error names the source. Rows: the
// source's size, the byte it fails at, the entry's length, the bytes the entry holds (0: none).
TEST(RestoreFileWriter, SourceThatFailsOrEndsEarlyNamesItselfAndKeepsTheFileReadable) {
    const std::tuple<std::size_t, std::size_t, std::uint32_t, std::size_t, std::string> cases[] = {
        {0, SIZE_MAX, 10, 0, "the file ended after 0 of its 10 bytes"},
        {6000, SIZE_MAX, 10000, 10000, "the file ended after 6000 of its 10000 bytes"},
        {10000, 8192, 10000, 10000, "Input/output error"}};
    for (const auto& [size, failAt, length, entryBytes, reason] : cases) {
        const Bytes data = counting(size);
        SpanInputFile source(data, 4096, failAt);
        Writing w;
        EXPECT_EQ(w.writer.appendFileEntry(kSqtName, source, "songs/00101.SQT", length, w.buffer).toString(),
                  "songs/00101.SQT: " + reason);
        Bytes entry = counting(std::min(failAt, size));
        entry.resize(entryBytes, 0x00);
        ASSERT_EQ(w.file.bytes.size(), 16u + (entryBytes ? 128 + entryBytes : 0)) << reason;
        EXPECT_TRUE(std::equal(entry.begin(), entry.end(), w.file.bytes.end() - std::ssize(entry))) << reason;
        EXPECT_TRUE(w.writer.appendEntry(kInfEntryName, bytesOf("x"))) << "the run still finishes the file";
    }
}

// A small run (header, a streamed song file, an empty one, a stand-in information file) onto
// a medium that fills up after every possible byte: the step that overflows fails, naming the
// restore file, and so does every later one; nothing is written after the failure.
TEST(RestoreFileWriter, FullMediumFailsTheStepThatOverflowsAndEveryLaterOne) {
    const Bytes data = counting(40);
    const auto run = [&](Writing& w) {
        SpanInputFile song(data, 16), empty({});
        return std::vector<Status>{
            w.header, w.writer.appendFileEntry(kSqtName, song, "songs/00101.SQT", 40, w.buffer),
            w.writer.appendFileEntry(kFolder + "0100101_.EFC", empty, "songs/00101.EFC", 0, w.buffer),
            w.writer.appendEntry(kInfEntryName, bytesOf("stand-in"))};
    };
    Writing good; // a medium with just enough room
    run(good);
    const std::size_t stepEnds[] = {16, 16 + 128 + 40, 16 + 128 + 40 + 128, good.file.bytes.size()};
    for (std::size_t limit = 0; limit <= good.file.bytes.size(); ++limit) {
        SCOPED_TRACE("medium full after " + std::to_string(limit) + " bytes");
        Writing w(limit);
        const std::vector<Status> steps = run(w);
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(steps[i].isOk() ? "ok" : steps[i].path(),
                      limit < stepEnds[i] ? "card/Restore.sdb" : "ok")
                << "step " << i;
        EXPECT_EQ(w.file.bytes,
                  Bytes(good.file.bytes.begin(), good.file.bytes.begin() + std::ptrdiff_t(limit)));
    }
}

// Such a name could leave the card's folder, or lose a character or reach a device on Windows.
TEST(CardPathParts, RefusesNamesWithoutASafePlace) {
    EXPECT_EQ(*cardPathParts("\\PRIVATE\\A b.SQT"), (std::vector<std::string>{"PRIVATE", "A b.SQT"}));
    const std::pair<std::string_view, std::string_view> names[] = {
        {"PRIVATE\\x.SQT", "does not start with \\"},
        {"\\PRIVATE\\..\\..\\evil.txt", "the part \"..\", which leaves its folder"},
        {"\\PRIVATE\\\\x", "an empty part"},
        {"\\C:\\x.SQT", "the character :"},
        {"\\PRIVATE\\a\x1B[2J", "a control character"},
        {"\\PRIVATE\\x.", "ending in a dot or a blank"},
        {"\\PRIVATE\\x ", "ending in a dot or a blank"},
        {"\\PRIVATE\\con.SQT", "the device name CON"},
        {"\\PRIVATE\\Com1", "the device name COM1"}};
    for (const auto& [name, fault] : names)
        EXPECT_THAT(cardPathParts(name).status().reason(), ::testing::HasSubstr(fault)) << name;
}

// The golden file reads back as the entries it was written from (head and data offsets,
// length), each with its place on the card, the last one decoded. One fault at a time made in
// it is reported with what and where.
TEST(RestoreContents, ReadsTheGoldenFileAndReportsEachFaultWithWhatAndWhere) {
    const Bytes file = test::readBytes(kGolden / "Restore.sdb");
    const auto contentsOf = [](const Bytes& bytes) {
        SpanInputFile in(bytes, 5);
        return readRestoreContents(in, "Restore.sdb");
    };
    const auto contents = contentsOf(file);
    ASSERT_TRUE(contents) << contents.status().toString();
    std::string seen;
    for (const RestoreEntry& e : contents->entries)
        seen += e.name + " " + std::to_string(e.headOffset) + " " + std::to_string(e.dataOffset) + " " +
                std::to_string(e.length) + "\n";
    EXPECT_EQ(seen, "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT 16 144 8\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC 152 280 0\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.SQT 280 408 300\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0500105_.ACT 708 836 3\n"
                    "\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF 839 967 54816\n");
    EXPECT_EQ(contents->parts[3],
              (std::vector<std::string>{"PRIVATE", "TECHNICS", "KN7000", "TFLD001", "0500105_.ACT"}));
    EXPECT_EQ(contents->info.folders.size(), 3u);

    using Edit = std::function<void(Bytes&)>;
    const auto setByte = [](std::size_t at, std::uint8_t value) {
        return Edit([=](Bytes& b) { b[at] = value; });
    };
    const auto cutTo = [](std::size_t size) { return Edit([=](Bytes& b) { b.resize(size); }); };
    const auto renameFirst = [](std::string name) { // its length stays 8
        name.resize(100, '\0');
        return Edit([=](Bytes& b) { std::copy(name.begin(), name.end(), b.begin() + 16); });
    };
    const auto insertEntry = [](std::string name) { // an empty entry in front of the information file
        const auto head = restoreEntryHead(name, 0);
        return Edit([=](Bytes& b) { b.insert(b.begin() + 839, head->begin(), head->end()); });
    };
    const std::string inf = "\"" + std::string(kInfEntryName) + "\"";
    const std::string lower = "\\private\\technics\\kn7000\\tfld001\\0100101_.sqt";
    const std::string clash = "\" clashes with the entry at byte 16: both need the name \"" + kSqtName + "\"";
    const std::pair<Edit, std::string> cases[] = {
        {setByte(14, '2'), "at byte 14: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        {cutTo(10), "at byte 10: the file ends inside its 16-byte header"},
        {cutTo(16),
         "at byte 16: the file holds no entries; its last entry must be the information file " + inf},
        {cutTo(16 + 127),
         "at byte 16: the entry head is cut short: the file ends after 127 of its 128 bytes"},
        {renameFirst(std::string(100, 'A')),
         "at byte 16: the entry name fills its 100-byte field without a closing 0x00"},
        {setByte(16, 0x00), "at byte 16: the entry has no name"},
        {cutTo(55782),
         "at byte 939: the entry " + inf + " declares 54816 data bytes, but only 54815 follow its head"},
        {setByte(839 + 36, 'X'), "at byte 839: the last entry is "
                                 "\"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INX\", not the information file " +
                                     inf},
        {[](Bytes& b) { b[939] = 0x1F, b.pop_back(); }, // the length 54815 = 0xD61F
         "at byte 939: the information file entry holds 54815 bytes instead of 54816"},
        {setByte(967 + 49120, 0x00), "at byte 967: the information file entry is malformed: at byte 49120: "
                                     "bytes 49120 to 49239 must all be 0xFF, this one is 0x00"},
        {renameFirst("\\PRIVATE\\..\\x"), "at byte 16: the entry \"\\PRIVATE\\..\\x\" has no safe place on a "
                                          "card: the name holds the part \"..\", which leaves its folder"},
        // Two entries that cannot both be on a card: one name in two spellings, a file where a folder is
        // needed.
        {insertEntry(lower), "at byte 839: the entry \"" + lower + clash},
        {insertEntry(kSqtName + "\\in"),
         "at byte 839: the entry \"" + kSqtName + "\\in" + clash + ", one as a folder"},
    };
    for (const auto& [corrupt, reason] : cases) {
        Bytes bytes = file;
        corrupt(bytes);
        const Status st = contentsOf(bytes).status();
        EXPECT_EQ(std::tuple(st.code(), st.toString()),
                  std::tuple(ErrorCode::Corrupt, "Restore.sdb: " + reason));
    }
}

} // namespace
} // namespace lw
