// Restore.sdb: the entry heads, the writer (streamed file data, names that do not fit, a
// medium that fills up, a source that ends early or fails) and the whole-file check that
// inspect and unpack share, with one corrupted field or one hostile name at a time.
#include "card/RestoreFileReader.h"
#include "card/RestoreFileWriter.h"

#include "CardTestDoubles.h"
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"

#include <gtest/gtest.h>

#include <functional>

namespace lw {
namespace {

using test::bytesOf;
using test::OutputRecord;
using Bytes = std::vector<std::uint8_t>;

const std::string kSqtName = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT";
constexpr std::size_t kBuffer = 8192;

Bytes infContent() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 4, 0));
    return {inf.content().begin(), inf.content().end()};
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

// A source that hands out at most `chunk` bytes a read and fails from byte `failAt` on.
class ChunkedSource final : public InputFile {
public:
    ChunkedSource(Bytes bytes, std::size_t chunk, std::optional<std::size_t> failAt = std::nullopt)
        : m_bytes(std::move(bytes)), m_chunk(chunk), m_failAt(failAt) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        largestRequest = std::max(largestRequest, buffer.size());
        if (m_failAt && m_pos >= *m_failAt)
            return statusFromErrno(EIO, "");
        // The bytes before the bad place read as they are, whatever the request's size.
        const std::size_t n = std::min(
            {buffer.size(), m_chunk, m_bytes.size() - m_pos, m_failAt ? *m_failAt - m_pos : m_bytes.size()});
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), n, buffer.begin());
        m_pos += n;
        return n;
    }
    std::uint64_t size() const override { return m_bytes.size(); }
    Status seek(std::uint64_t offset) override {
        m_pos = static_cast<std::size_t>(offset);
        return Status::ok();
    }
    std::size_t largestRequest = 0;

private:
    Bytes m_bytes;
    std::size_t m_chunk;
    std::optional<std::size_t> m_failAt;
    std::size_t m_pos = 0;
};

// Header, one 10-byte song entry at 16 (data 144..153), the information file at 154
// (length field 254, data 282..55097): 55098 bytes.
Bytes sampleRestoreFile() {
    OutputRecord out;
    test::LimitedOutputFile file(out);
    RestoreFileWriter w(file, "Restore.sdb");
    EXPECT_TRUE(w.writeHeader());
    EXPECT_TRUE(w.appendEntry(kSqtName, bytesOf("0123456789")));
    EXPECT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    EXPECT_EQ(out.bytes.size(), 55098u);
    return out.bytes;
}

// --- The entry head -----------------------------------------------------------------------

TEST(RestoreEntryHead, LengthInAllFourBytesLeastSignificantFirstAfterTheName) {
    for (const auto& [length, expected] :
         std::vector<std::pair<std::uint32_t, Bytes>>{{0, {0, 0, 0, 0}},
                                                      {200, {0xC8, 0, 0, 0}},
                                                      {65536, {0, 0, 1, 0}},
                                                      {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}}}) {
        const auto head = restoreEntryHead(kSqtName, length);
        ASSERT_TRUE(head);
        const Bytes b(head->begin(), head->end());
        EXPECT_EQ(textUpToNul(b, 0, 100), kSqtName);
        EXPECT_TRUE(allBytesEqual(std::span(b).subspan(kSqtName.size(), 100 - kSqtName.size()), 0x00));
        EXPECT_EQ(slice(b, 100, 4), expected) << length;
        EXPECT_TRUE(allBytesEqual(std::span(b).subspan(104), 0x00));
    }
}

// A name that does not fit is refused by both append operations before a byte is written.
TEST(RestoreEntryHead, NameMustFitItsFieldWithAClosingZero) {
    for (const auto& [name, accepted] :
         std::vector<std::pair<std::string, bool>>{{"\\" + std::string(98, 'A'), true},
                                                   {"\\" + std::string(99, 'A'), false},
                                                   {"", false},
                                                   {std::string("\\PRIVATE\0X", 10), false}}) {
        OutputRecord out;
        test::LimitedOutputFile file(out);
        RestoreFileWriter w(file, "Restore.sdb");
        ASSERT_TRUE(w.writeHeader());
        ChunkedSource source(bytesOf("y"), 1);
        Bytes buffer(kBuffer);
        const Status whole = w.appendEntry(name, bytesOf("x"));
        const Status streamed = w.appendFileEntry(name, source, "songs/00101.SQT", 1, buffer);
        EXPECT_EQ(whole.isOk(), accepted) << name.size();
        EXPECT_EQ(streamed.isOk(), accepted) << name.size();
        EXPECT_EQ(out.bytes.size(), accepted ? 16u + 2 * 129 : 16u);
        EXPECT_TRUE(w.appendEntry(kSqtName, bytesOf("ok"))) << "a refused name does not spoil the writer";
    }
}

// --- Writing ------------------------------------------------------------------------------

TEST(RestoreFileWriter, InformationFileAloneGives54960Bytes) {
    OutputRecord out;
    test::LimitedOutputFile file(out);
    RestoreFileWriter w(file, "Restore.sdb");
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    ASSERT_EQ(out.bytes.size(), 54960u);
    EXPECT_EQ(std::string(out.bytes.begin(), out.bytes.begin() + 16), std::string("SDBACKUP FILE01\0", 16));
    EXPECT_EQ(textUpToNul(out.bytes, 16, 100), kInfEntryName);
    EXPECT_EQ(getU32le(out.bytes, 116), 54816u);
    EXPECT_EQ(slice(out.bytes, 144, 54816), infContent());
}

TEST(RestoreFileWriter, FileDataGoesThroughTheCallersBufferAndOnlyTheGivenLength) {
    const Bytes song = counting(20000);
    ChunkedSource source(song, 3000);
    Bytes buffer(kBuffer);
    OutputRecord out;
    test::LimitedOutputFile file(out);
    RestoreFileWriter w(file, "Restore.sdb");
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendFileEntry(kSqtName, source, "songs/00101.SQT", 19000, buffer));
    ChunkedSource empty({}, 4);
    ASSERT_TRUE(w.appendFileEntry(kSqtName, empty, "songs/00102.SQT", 0, buffer));
    EXPECT_LE(source.largestRequest, buffer.size());
    ASSERT_EQ(out.bytes.size(), 16u + 128 + 19000 + 128);
    EXPECT_EQ(getU32le(out.bytes, 116), 19000u);
    EXPECT_EQ(slice(out.bytes, 144, 19000), slice(song, 0, 19000));
    EXPECT_EQ(getU32le(out.bytes, 144 + 19000 + 100), 0u) << "an empty file's head follows directly";
}

// A source that cannot give its bytes: no entry at all when nothing could be read; else the
// entry filled with 0x00 so the file stays readable. The error names the source.
TEST(RestoreFileWriter, SourceThatFailsOrEndsEarlyNamesItselfAndKeepsTheFileReadable) {
    struct Case {
        const char* what;
        std::size_t size;
        std::optional<std::size_t> failAt;
        std::size_t entryBytes; // what the entry holds afterwards (0: no entry)
        const char* reason;
    };
    for (const Case& c :
         {Case{"nothing to read", 0, std::nullopt, 0, "the file ended after 0 of its 10 bytes"},
          Case{"ends midway", 6000, std::nullopt, 10000, "the file ended after 6000 of its 10000 bytes"},
          Case{"read error", 10000, 8192, 10000, "Input/output error"}}) {
        const std::size_t length = c.entryBytes ? c.entryBytes : 10;
        ChunkedSource source(counting(c.size), 4096, c.failAt);
        Bytes buffer(kBuffer);
        OutputRecord out;
        test::LimitedOutputFile file(out);
        RestoreFileWriter w(file, "Restore.sdb");
        ASSERT_TRUE(w.writeHeader());
        const Status st = w.appendFileEntry(kSqtName, source, "songs/00101.SQT",
                                            static_cast<std::uint32_t>(length), buffer);
        EXPECT_EQ(st.path(), "songs/00101.SQT") << c.what;
        EXPECT_EQ(st.reason(), c.reason) << c.what;
        ASSERT_EQ(out.bytes.size(), 16u + (c.entryBytes ? 128 + c.entryBytes : 0)) << c.what;
        if (c.entryBytes) {
            const std::size_t good = c.failAt ? std::min(*c.failAt, c.size) : c.size;
            Bytes expected = slice(counting(c.size), 0, good);
            expected.resize(c.entryBytes, 0x00);
            EXPECT_EQ(slice(out.bytes, 144, c.entryBytes), expected) << c.what;
        }
        EXPECT_TRUE(w.appendEntry(kInfEntryName, infContent())) << "the run still finishes the file";
    }
}

// The whole sequence of a small run: header, a streamed song file, an empty one, the
// information file (a short stand-in, to keep the sequence small).
std::vector<Status> writeSmallRun(OutputFile& file) {
    RestoreFileWriter w(file, "card/Restore.sdb");
    Bytes buffer(kBuffer);
    ChunkedSource song(counting(40), 16);
    ChunkedSource empty({}, 16);
    return {w.writeHeader(), w.appendFileEntry(kSqtName, song, "songs/00101.SQT", 40, buffer),
            w.appendFileEntry("\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC", empty, "songs/00101.EFC",
                              0, buffer),
            w.appendEntry(kInfEntryName, bytesOf("stand-in"))};
}

TEST(RestoreFileWriter, FullMediumFailsTheStepThatOverflowsAndEveryLaterOne) {
    OutputRecord good;
    test::LimitedOutputFile goodFile(good);
    for (const auto& st : writeSmallRun(goodFile))
        ASSERT_TRUE(st) << st.toString();
    const std::vector<std::size_t> stepEnds = {16, 16 + 128 + 40, 16 + 128 + 40 + 128, good.bytes.size()};
    for (std::size_t limit = 0; limit < good.bytes.size(); ++limit) {
        SCOPED_TRACE("medium full after " + std::to_string(limit) + " bytes");
        OutputRecord out;
        test::LimitedOutputFile file(out, limit);
        const std::vector<Status> steps = writeSmallRun(file);
        const auto failing = static_cast<std::size_t>(
            std::upper_bound(stepEnds.begin(), stepEnds.end(), limit) - stepEnds.begin());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].isOk(), i < failing) << "step " << i;
            if (i >= failing) {
                EXPECT_EQ(steps[i].path(), "card/Restore.sdb") << "step " << i;
            }
        }
        EXPECT_EQ(out.bytes, slice(good.bytes, 0, limit)) << "nothing is written after the failure";
    }
}

// --- Reading the whole file as a card would receive it --------------------------------------

Result<RestoreContents> contentsOf(const Bytes& file) {
    SpanInputFile in(file, 5);
    return readRestoreContents(in, "Restore.sdb");
}

TEST(RestoreContents, EveryEntryWithItsPlaceOnTheCardAndTheDecodedInformationFile) {
    const auto c = contentsOf(sampleRestoreFile());
    ASSERT_TRUE(c) << c.status().toString();
    ASSERT_EQ(c->entries.size(), 2u);
    EXPECT_EQ(c->entries[0].name, kSqtName);
    EXPECT_EQ(c->entries[0].dataOffset, 144u);
    EXPECT_EQ(c->entries[1].headOffset, 154u);
    EXPECT_EQ(c->parts[0],
              (std::vector<std::string>{"PRIVATE", "TECHNICS", "KN7000", "TFLD001", "0100101_.SQT"}));
    ASSERT_EQ(c->info.folders.size(), 1u);
    EXPECT_EQ(c->info.folders[0].songs.at(0).name, "Blue Night");
}

struct RestoreCorruption {
    const char* name;
    std::function<void(Bytes&)> corrupt;
    std::string reason;
};

class RestoreFileCorrupt : public ::testing::TestWithParam<RestoreCorruption> {};

TEST_P(RestoreFileCorrupt, IsReportedWithWhatAndWhere) {
    Bytes file = sampleRestoreFile();
    GetParam().corrupt(file);
    const auto c = contentsOf(file);
    ASSERT_FALSE(c);
    EXPECT_EQ(c.status().code(), ErrorCode::Corrupt);
    EXPECT_EQ(c.status().path(), "Restore.sdb");
    EXPECT_EQ(c.status().reason(), GetParam().reason);
}

auto setByte(std::size_t at, std::uint8_t value) {
    return [at, value](Bytes& b) { b[at] = value; };
}
auto cutTo(std::size_t size) {
    return [size](Bytes& b) { b.resize(size); };
}
// The first entry's name replaced (its length stays 10).
auto renameFirst(std::string name) {
    return [name](Bytes& b) {
        std::fill_n(b.begin() + 16, 100, std::uint8_t{0});
        std::copy(name.begin(), name.end(), b.begin() + 16);
    };
}
// A second song entry of the given name in front of the information file.
auto insertEntry(std::string name) {
    return [name](Bytes& b) {
        const auto head = restoreEntryHead(name, 0);
        b.insert(b.begin() + 154, head->begin(), head->end());
    };
}

const std::string kInfQuoted = "\"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF\"";
const std::string kNoPlace = "at byte 16: the entry ";

INSTANTIATE_TEST_SUITE_P(
    OneFaultAtATime, RestoreFileCorrupt,
    ::testing::Values(
        RestoreCorruption{"Magic", setByte(14, '2'),
                          "at byte 14: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        RestoreCorruption{"InsideHeader", cutTo(10), "at byte 10: the file ends inside its 16-byte header"},
        RestoreCorruption{
            "HeaderOnly", cutTo(16),
            "at byte 16: the file holds no entries; its last entry must be the information file " +
                kInfQuoted},
        RestoreCorruption{"HeadCutShort", cutTo(16 + 50),
                          "at byte 16: the entry head is cut short: the file ends after 50 of its 128 bytes"},
        RestoreCorruption{"NameWithoutClosingZero",
                          [](Bytes& b) { std::fill_n(b.begin() + 16, 100, std::uint8_t{'A'}); },
                          "at byte 16: the entry name fills its 100-byte field without a closing 0x00"},
        RestoreCorruption{"EmptyName", setByte(16, 0x00), "at byte 16: the entry has no name"},
        RestoreCorruption{"LengthPastTheEnd", [](Bytes& b) { putU32le(b, 116, 0x01000000); },
                          "at byte 116: the entry \"" + kSqtName +
                              "\" declares 16777216 data bytes, but only 54954 follow its head"},
        RestoreCorruption{"InformationFileCutShort", cutTo(55097),
                          "at byte 254: the entry " + kInfQuoted +
                              " declares 54816 data bytes, but only 54815 follow its head"},
        RestoreCorruption{
            "LastEntryName", setByte(154 + 36, 'X'),
            "at byte 154: the last entry is \"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INX\", not the "
            "information file " +
                kInfQuoted},
        RestoreCorruption{"InformationFileLength",
                          [](Bytes& b) {
                              putU32le(b, 254, 54815);
                              b.pop_back();
                          },
                          "at byte 254: the information file entry holds 54815 bytes instead of 54816"},
        RestoreCorruption{
            "InformationFileMalformed", setByte(282 + 49120, 0x00),
            "at byte 282: the information file entry is malformed: at byte 49120: bytes 49120 to 49239 "
            "must all be 0xFF, this one is 0x00"},
        // Names that would leave the card's folder, or that Windows strips or sends to a device.
        RestoreCorruption{
            "ParentFolder", renameFirst("\\PRIVATE\\..\\..\\evil.txt"),
            kNoPlace + "\"\\PRIVATE\\..\\..\\evil.txt\" has no safe place on a card: the name holds the "
                       "part \"..\", which leaves its folder"},
        RestoreCorruption{
            "NoLeadingBackslash", renameFirst("PRIVATE\\x.SQT"),
            kNoPlace + "\"PRIVATE\\x.SQT\" has no safe place on a card: the name does not start with \\ "
                       "(the card's root)"},
        RestoreCorruption{"DriveColon", renameFirst("\\C:\\x.SQT"),
                          kNoPlace +
                              "\"\\C:\\x.SQT\" has no safe place on a card: the name holds the character :, "
                              "which a card's file names cannot hold"},
        RestoreCorruption{
            "TrailingDotAndBlank", renameFirst("\\PRIVATE\\.. "),
            kNoPlace + "\"\\PRIVATE\\.. \" has no safe place on a card: the name holds a part ending in a "
                       "dot or a blank, which Windows drops"},
        RestoreCorruption{
            "DeviceName", renameFirst("\\PRIVATE\\com1.SQT"),
            kNoPlace + "\"\\PRIVATE\\com1.SQT\" has no safe place on a card: the name holds the device "
                       "name COM1 of Windows"},
        RestoreCorruption{"ControlCharacter", renameFirst("\\PRIVATE\\a\x1B[2J"),
                          kNoPlace +
                              "\"\\PRIVATE\\a\x1B[2J\" has no safe place on a card: the name holds a control "
                              "character"},
        // Two entries that cannot both be on a card.
        RestoreCorruption{
            "SameFileTwice", insertEntry("\\private\\technics\\kn7000\\tfld001\\0100101_.sqt"),
            "at byte 154: the entry \"\\private\\technics\\kn7000\\tfld001\\0100101_.sqt\" clashes with "
            "the entry at byte 16: both need the name \"\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_."
            "SQT\""},
        RestoreCorruption{
            "FileWhereAFolderIsNeeded", insertEntry(kSqtName + "\\inner"),
            "at byte 154: the entry \"" + kSqtName +
                "\\inner\" clashes with the entry at byte 16: both "
                "need the name \"\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT\", one as a folder"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lw
