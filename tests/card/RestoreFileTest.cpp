// Restore.sdb: the writer (every byte in place, names that do not fit, a source that ends
// early or fails, a medium that fills up), entry names that have no safe place on a card,
// and the whole-file check that inspect and unpack share, with one corrupted field at a time.
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"

#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"
#include "support/MemoryOutputFile.h"
#include "support/SpanInputFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace lw {
namespace {

using test::MemoryOutputFile;
using Bytes = std::vector<std::uint8_t>;

const std::string kSqtName = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT";
const std::string kEfcName = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC";

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t size) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(from + size)};
}

Bytes infContent() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 4, 0));
    return {inf.content().begin(), inf.content().end()};
}

// A writer into memory (a medium full after `limit` bytes), with the buffer a run reuses.
struct Writing {
    explicit Writing(std::size_t limit = SIZE_MAX) : file(limit) {}
    MemoryOutputFile file;
    RestoreFileWriter writer{file, "card/Restore.sdb"};
    Bytes buffer = Bytes(8192);
};

// --- Writing ------------------------------------------------------------------------------

// The header, then each entry: its name, 0x00 to the end of 100 bytes, the data length least
// significant byte first, 24 x 0x00, the data. A file is read in pieces of any size, and only
// its given length goes in.
TEST(RestoreFileWriter, WritesEveryByteInPlace) {
    const Bytes song = counting(20000);
    SpanInputFile source(song, 3000);
    SpanInputFile empty({});
    Writing w;
    ASSERT_TRUE(w.writer.writeHeader());
    ASSERT_TRUE(w.writer.appendFileEntry(kSqtName, source, "songs/00101.SQT", 19000, w.buffer));
    ASSERT_TRUE(w.writer.appendFileEntry(kEfcName, empty, "songs/00101.EFC", 0, w.buffer));
    ASSERT_TRUE(w.writer.appendEntry(kInfEntryName, infContent()));

    Bytes expected = bytesOf(std::string_view("SDBACKUP FILE01\0", 16));
    const auto entry = [&](std::string_view name, Bytes length, const Bytes& data) {
        Bytes head(128, 0x00);
        std::copy(name.begin(), name.end(), head.begin());
        std::copy(length.begin(), length.end(), head.begin() + 100);
        expected.insert(expected.end(), head.begin(), head.end());
        expected.insert(expected.end(), data.begin(), data.end());
    };
    entry(kSqtName, {0x38, 0x4A}, slice(song, 0, 19000)); // 19000 = 0x4A38
    entry(kEfcName, {}, {});
    entry(kInfEntryName, {0x20, 0xD6}, infContent()); // 54816 = 0xD620
    ASSERT_EQ(w.file.bytes.size(), expected.size());
    const auto diff = std::mismatch(expected.begin(), expected.end(), w.file.bytes.begin());
    EXPECT_TRUE(diff.first == expected.end())
        << "first difference at byte " << (diff.first - expected.begin());
    const auto head = restoreEntryHead(kSqtName, 0x04030201); // a length in all four bytes
    ASSERT_TRUE(head);
    EXPECT_EQ(Bytes(head->begin() + 100, head->begin() + 104), (Bytes{1, 2, 3, 4}));
}

// A name that does not fit is refused by both append operations before a byte is written.
TEST(RestoreFileWriter, NameMustFitItsFieldWithAClosingZero) {
    for (const auto& [name, accepted] :
         std::vector<std::pair<std::string, bool>>{{"\\" + std::string(98, 'A'), true},
                                                   {"\\" + std::string(99, 'A'), false},
                                                   {"", false},
                                                   {std::string("\\PRIVATE\0X", 10), false}}) {
        const Bytes y = bytesOf("y");
        SpanInputFile source(y);
        Writing w;
        ASSERT_TRUE(w.writer.writeHeader());
        EXPECT_EQ(w.writer.appendEntry(name, bytesOf("x")).isOk(), accepted) << name.size();
        EXPECT_EQ(w.writer.appendFileEntry(name, source, "songs/00101.SQT", 1, w.buffer).isOk(), accepted);
        EXPECT_EQ(w.file.bytes.size(), accepted ? 16u + 2 * 129 : 16u);
        EXPECT_TRUE(w.writer.appendEntry(kSqtName, bytesOf("ok")))
            << "a refused name does not spoil the writer";
    }
}

// A source that cannot give its bytes: no entry at all when nothing could be read; else the
// entry filled with 0x00 so the file stays readable. The error names the source.
TEST(RestoreFileWriter, SourceThatFailsOrEndsEarlyNamesItselfAndKeepsTheFileReadable) {
    struct Case {
        std::size_t size;
        std::size_t failAt;
        std::size_t entryBytes; // what the entry holds afterwards (0: no entry)
        const char* reason;
    };
    for (const Case& c : {Case{0, SIZE_MAX, 0, "the file ended after 0 of its 10 bytes"},
                          Case{6000, SIZE_MAX, 10000, "the file ended after 6000 of its 10000 bytes"},
                          Case{10000, 8192, 10000, "Input/output error"}}) {
        const Bytes data = counting(c.size);
        SpanInputFile source(data, 4096, c.failAt);
        Writing w;
        ASSERT_TRUE(w.writer.writeHeader());
        const auto length = static_cast<std::uint32_t>(c.entryBytes ? c.entryBytes : 10);
        const Status st = w.writer.appendFileEntry(kSqtName, source, "songs/00101.SQT", length, w.buffer);
        EXPECT_EQ(st.path(), "songs/00101.SQT") << c.reason;
        EXPECT_EQ(st.reason(), c.reason);
        ASSERT_EQ(w.file.bytes.size(), 16u + (c.entryBytes ? 128 + c.entryBytes : 0)) << c.reason;
        if (c.entryBytes) {
            Bytes expected = slice(data, 0, std::min(c.failAt, c.size));
            expected.resize(c.entryBytes, 0x00);
            EXPECT_EQ(slice(w.file.bytes, 144, c.entryBytes), expected) << c.reason;
        }
        EXPECT_TRUE(w.writer.appendEntry(kInfEntryName, infContent())) << "the run still finishes the file";
    }
}

// A small run (header, a streamed song file, an empty one, a stand-in information file) onto
// a medium that fills up after every possible byte: the step that overflows fails, naming the
// restore file, and so does every later one; nothing is written after the failure.
TEST(RestoreFileWriter, FullMediumFailsTheStepThatOverflowsAndEveryLaterOne) {
    const Bytes data = counting(40);
    const auto run = [&](Writing& w) {
        SpanInputFile song(data, 16);
        SpanInputFile empty({});
        return std::vector<Status>{w.writer.writeHeader(),
                                   w.writer.appendFileEntry(kSqtName, song, "songs/00101.SQT", 40, w.buffer),
                                   w.writer.appendFileEntry(kEfcName, empty, "songs/00101.EFC", 0, w.buffer),
                                   w.writer.appendEntry(kInfEntryName, bytesOf("stand-in"))};
    };
    Writing good;
    for (const auto& st : run(good))
        ASSERT_TRUE(st) << st.toString();
    const std::size_t stepEnds[] = {16, 16 + 128 + 40, 16 + 128 + 40 + 128, good.file.bytes.size()};
    for (std::size_t limit = 0; limit < good.file.bytes.size(); ++limit) {
        SCOPED_TRACE("medium full after " + std::to_string(limit) + " bytes");
        Writing w(limit);
        const std::vector<Status> steps = run(w);
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(steps[i].isOk() ? "ok" : steps[i].path(),
                      limit < stepEnds[i] ? "card/Restore.sdb" : "ok")
                << "step " << i;
        EXPECT_EQ(w.file.bytes, slice(good.file.bytes, 0, limit));
    }
}

// --- Names that have no safe place on a card ------------------------------------------------

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
        {"\\PRIVATE\\Com1", "the device name COM1"},
    };
    for (const auto& [name, fault] : names)
        EXPECT_THAT(cardPathParts(name).status().reason(), ::testing::HasSubstr(fault)) << name;
}

// --- Reading the whole file as a card would receive it --------------------------------------

// The file each fault is made in: header, one 10-byte song entry at 16 (data 144..153), the
// information file at 154 (length field 254, data 282..55097): 55098 bytes. The golden
// files' test reads a whole intact one.
Bytes sampleRestoreFile() {
    Writing w;
    EXPECT_TRUE(w.writer.writeHeader());
    EXPECT_TRUE(w.writer.appendEntry(kSqtName, bytesOf("0123456789")));
    EXPECT_TRUE(w.writer.appendEntry(kInfEntryName, infContent()));
    EXPECT_EQ(w.file.bytes.size(), 55098u);
    return w.file.bytes;
}

Result<RestoreContents> contentsOf(const Bytes& file) {
    SpanInputFile in(file, 5);
    return readRestoreContents(in, "Restore.sdb");
}

using Edit = std::function<void(Bytes&)>;
const auto setByte = [](std::size_t at, std::uint8_t value) {
    return Edit([=](Bytes& b) { b[at] = value; });
};
const auto cutTo = [](std::size_t size) { return Edit([=](Bytes& b) { b.resize(size); }); };
// The first entry's name replaced (its length stays 10).
const auto renameFirst = [](std::string name) {
    name.resize(100, '\0');
    return Edit([=](Bytes& b) { std::copy(name.begin(), name.end(), b.begin() + 16); });
};
// A second song entry of the given name in front of the information file.
const auto insertEntry = [](std::string name) {
    const auto head = restoreEntryHead(name, 0);
    return Edit([=](Bytes& b) { b.insert(b.begin() + 154, head->begin(), head->end()); });
};

const std::string kInf = "\"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF\"";
const std::string kSqtUpper = "\"\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT\"";

TEST(RestoreContents, OneFaultAtATimeIsReportedWithWhatAndWhere) {
    const std::pair<Edit, std::string> cases[] = {
        {setByte(14, '2'), "at byte 14: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        {cutTo(10), "at byte 10: the file ends inside its 16-byte header"},
        {cutTo(16),
         "at byte 16: the file holds no entries; its last entry must be the information file " + kInf},
        {cutTo(16 + 127),
         "at byte 16: the entry head is cut short: the file ends after 127 of its 128 bytes"},
        {renameFirst(std::string(100, 'A')),
         "at byte 16: the entry name fills its 100-byte field without a closing 0x00"},
        {setByte(16, 0x00), "at byte 16: the entry has no name"},
        {cutTo(55097),
         "at byte 254: the entry " + kInf + " declares 54816 data bytes, but only 54815 follow its head"},
        {setByte(154 + 36, 'X'), "at byte 154: the last entry is "
                                 "\"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INX\", not the information file " +
                                     kInf},
        {[](Bytes& b) {
             putU32le(b, 254, 54815);
             b.pop_back();
         },
         "at byte 254: the information file entry holds 54815 bytes instead of 54816"},
        {setByte(282 + 49120, 0x00), "at byte 282: the information file entry is malformed: at byte 49120: "
                                     "bytes 49120 to 49239 must all be 0xFF, this one is 0x00"},
        {renameFirst("\\PRIVATE\\..\\x"), "at byte 16: the entry \"\\PRIVATE\\..\\x\" has no safe place on a "
                                          "card: the name holds the part \"..\", which leaves its folder"},
        // Two entries that cannot both be on a card: one name in two spellings, a file where a folder is
        // needed.
        {insertEntry("\\private\\technics\\kn7000\\tfld001\\0100101_.sqt"),
         "at byte 154: the entry \"\\private\\technics\\kn7000\\tfld001\\0100101_.sqt\" clashes with the "
         "entry at byte 16: both need the name " +
             kSqtUpper},
        {insertEntry(kSqtName + "\\in"), "at byte 154: the entry \"" + kSqtName +
                                             "\\in\" clashes with the entry at byte 16: both need the name " +
                                             kSqtUpper + ", one as a folder"},
    };
    for (const auto& [corrupt, reason] : cases) {
        Bytes file = sampleRestoreFile();
        corrupt(file);
        const auto c = contentsOf(file);
        ASSERT_FALSE(c) << reason;
        EXPECT_EQ(c.status().code(), ErrorCode::Corrupt);
        EXPECT_EQ(c.status().path(), "Restore.sdb");
        EXPECT_EQ(c.status().reason(), reason);
    }
}

} // namespace
} // namespace lw
