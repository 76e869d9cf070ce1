// Restore.sdb: the entry heads, the writer (streamed file data, names that do not fit,
// a medium that fills up, a source that ends early) and the two readers with one
// corrupted field at a time.
#include "card/RestoreFile.h"

#include "CardTestDoubles.h"
#include "card/ByteIo.h"
#include "card/CardLayout.h"
#include "card/InfoFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace lw {
namespace {

using test::bytesOf;
using test::OutputRecord;
using Bytes = std::vector<std::uint8_t>;

const std::string kSqtName = "\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.SQT";

Bytes infContent() {
    InfoFile inf;
    EXPECT_TRUE(inf.setFolderTitle(1, "Direktory 01"));
    EXPECT_TRUE(inf.setSongEntry(1, 0, "Blue Night", "00101_", 4, 0));
    return {inf.content().begin(), inf.content().end()};
}

// Header, one 10-byte song entry at 16 (data 144..153), the information file at 154
// (length field 254, data 282..55097): 55098 bytes.
Bytes sampleRestoreFile() {
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    EXPECT_TRUE(w.writeHeader());
    EXPECT_TRUE(w.appendEntry(kSqtName, bytesOf("0123456789")));
    EXPECT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    EXPECT_TRUE(w.close());
    EXPECT_EQ(out.bytes.size(), 55098u);
    return out.bytes;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t size) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(from + size)};
}

// A source file that hands out at most `chunk` bytes a read and remembers the largest
// request, so that a test can see the data went through the caller's buffer.
class ChunkedSource final : public InputFile {
public:
    ChunkedSource(Bytes bytes, std::size_t chunk, std::optional<std::size_t> failAt = std::nullopt)
        : m_bytes(std::move(bytes)), m_chunk(chunk), m_failAt(failAt) {}
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override {
        largestRequest = std::max(largestRequest, buffer.size());
        if (m_failAt && m_pos >= *m_failAt)
            return statusFromErrno(EIO, "");
        const std::size_t n = std::min({buffer.size(), m_chunk, m_bytes.size() - m_pos});
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), n, buffer.begin());
        m_pos += n;
        return n;
    }
    std::size_t largestRequest = 0;

private:
    Bytes m_bytes;
    std::size_t m_chunk;
    std::optional<std::size_t> m_failAt;
    std::size_t m_pos = 0;
};

Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

// --- The entry head ---

struct LengthCase {
    std::uint32_t length;
    std::array<std::uint8_t, 4> bytes;
};

class EntryHeadLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(EntryHeadLengthTest, AllFourBytesLeastSignificantFirst) {
    const auto head = restoreEntryHead(kSqtName, GetParam().length);
    ASSERT_TRUE(head);
    const Bytes b(head->begin(), head->end());
    EXPECT_EQ(std::string(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(kSqtName.size())), kSqtName);
    EXPECT_TRUE(allBytesEqual(std::span(b).subspan(kSqtName.size(), 100 - kSqtName.size()), 0x00));
    EXPECT_EQ(slice(b, 100, 4), Bytes(GetParam().bytes.begin(), GetParam().bytes.end()));
    EXPECT_TRUE(allBytesEqual(std::span(b).subspan(104), 0x00));
}

INSTANTIATE_TEST_SUITE_P(Lengths, EntryHeadLengthTest,
                         ::testing::Values(LengthCase{0, {0x00, 0x00, 0x00, 0x00}},
                                           LengthCase{200, {0xC8, 0x00, 0x00, 0x00}},
                                           LengthCase{256, {0x00, 0x01, 0x00, 0x00}},
                                           LengthCase{512, {0x00, 0x02, 0x00, 0x00}},
                                           LengthCase{65536, {0x00, 0x00, 0x01, 0x00}},
                                           LengthCase{54816, {0x20, 0xD6, 0x00, 0x00}},
                                           LengthCase{0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}}));

struct NameCase {
    const char* what;
    std::string name;
    bool accepted;
};

class EntryNameTest : public ::testing::TestWithParam<NameCase> {};

// A name that does not fit is refused by both append operations before a byte is written.
TEST_P(EntryNameTest, NameMustFitItsFieldWithAClosingZero) {
    const NameCase& c = GetParam();
    EXPECT_EQ(restoreEntryHead(c.name, 1).isOk(), c.accepted) << c.what;

    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    const Status whole = w.appendEntry(c.name, bytesOf("x"));
    ChunkedSource source(bytesOf("y"), 1);
    Bytes buffer(8);
    const Status streamed = w.appendFileEntry(c.name, source, "songs/00101.SQT", 1, buffer);
    if (c.accepted) {
        EXPECT_TRUE(whole) << whole.toString();
        EXPECT_TRUE(streamed) << streamed.toString();
        EXPECT_EQ(out.bytes.size(), 16u + 2 * 129);
    } else {
        EXPECT_EQ(whole.code(), ErrorCode::InvalidArgument) << c.what;
        EXPECT_EQ(streamed.code(), ErrorCode::InvalidArgument) << c.what;
        EXPECT_EQ(out.bytes.size(), 16u) << c.what;
        EXPECT_TRUE(w.appendEntry(kSqtName, bytesOf("ok"))) << "a refused name does not spoil the writer";
    }
}

INSTANTIATE_TEST_SUITE_P(Names, EntryNameTest,
                         ::testing::Values(NameCase{"99 bytes", "\\" + std::string(98, 'A'), true},
                                           NameCase{"100 bytes", "\\" + std::string(99, 'A'), false},
                                           NameCase{"150 bytes", std::string(150, 'B'), false},
                                           NameCase{"empty", "", false},
                                           NameCase{"inner 0x00", std::string("\\PRIVATE\0X", 10), false}));

// --- Writing ---

TEST(RestoreFileWriterTest, InformationFileAloneGives54960Bytes) {
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    ASSERT_TRUE(w.close());
    EXPECT_TRUE(out.closed);
    ASSERT_EQ(out.bytes.size(), 54960u);
    EXPECT_EQ(w.bytesWritten(), 54960u);
    EXPECT_EQ(std::string(out.bytes.begin(), out.bytes.begin() + 16), std::string("SDBACKUP FILE01\0", 16));
    EXPECT_EQ(textUpToNul(out.bytes, 16, 100), kInfEntryName);
    EXPECT_EQ(getU32le(out.bytes, 116), 54816u);
    EXPECT_EQ(slice(out.bytes, 144, 54816), infContent());
}

TEST(RestoreFileWriterTest, EmptyFileEntryIsFollowedDirectlyByTheNextHead) {
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    ChunkedSource empty({}, 4);
    Bytes buffer(16);
    ASSERT_TRUE(w.appendFileEntry(kSqtName, empty, "songs/00101.SQT", 0, buffer));
    ASSERT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    ASSERT_EQ(out.bytes.size(), 16u + 128 + 128 + 54816);
    EXPECT_EQ(slice(out.bytes, 116, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(textUpToNul(out.bytes, 144, 100), kInfEntryName);
}

TEST(RestoreFileWriterTest, FileDataIsStreamedThroughTheCallersBuffer) {
    const Bytes song = counting(1000);
    ChunkedSource source(song, 3);
    Bytes buffer(7);
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendFileEntry(kSqtName, source, "songs/00101.SQT", 1000, buffer));
    EXPECT_LE(source.largestRequest, buffer.size());
    ASSERT_EQ(out.bytes.size(), 16u + 128 + 1000);
    EXPECT_EQ(getU32le(out.bytes, 116), 1000u);
    EXPECT_EQ(slice(out.bytes, 144, 1000), song);
}

TEST(RestoreFileWriterTest, OnlyTheGivenLengthOfALongerSourceIsTaken) {
    ChunkedSource source(counting(300), 64);
    Bytes buffer(100);
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendFileEntry(kSqtName, source, "songs/00101.SQT", 256, buffer));
    ASSERT_EQ(out.bytes.size(), 16u + 128 + 256);
    EXPECT_EQ(slice(out.bytes, 116, 4), (Bytes{0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(slice(out.bytes, 144, 256), slice(counting(300), 0, 256));
}

// --- A source file that cannot give all its bytes ---

TEST(RestoreFileWriterTest, SourceWithoutAnyByteLeavesNoEntry) {
    ChunkedSource empty({}, 4);
    Bytes buffer(8);
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    const Status st = w.appendFileEntry(kSqtName, empty, "songs/00101.SQT", 10, buffer);
    EXPECT_EQ(st.code(), ErrorCode::IoError);
    EXPECT_EQ(st.path(), "songs/00101.SQT");
    EXPECT_EQ(st.reason(), "the file ended after 0 of the 10 bytes to copy");
    EXPECT_EQ(out.bytes.size(), 16u);
}

TEST(RestoreFileWriterTest, SourceEndingMidwayKeepsTheFileReadable) {
    ChunkedSource shortSource(counting(25), 10);
    Bytes buffer(8);
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    const Status st = w.appendFileEntry(kSqtName, shortSource, "songs/00101.SQT", 40, buffer);
    EXPECT_EQ(st.code(), ErrorCode::IoError);
    EXPECT_EQ(st.path(), "songs/00101.SQT");
    EXPECT_EQ(st.reason(), "the file ended after 25 of the 40 bytes to copy");

    // The run stops and still closes the file with its information file.
    ASSERT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    ASSERT_TRUE(w.close());
    const auto entries = parseRestoreFile(out.bytes, "Restore.sdb");
    ASSERT_TRUE(entries) << entries.status().toString();
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].length, 40u);
    Bytes expected = counting(25);
    expected.resize(40, 0x00);
    EXPECT_EQ(slice(out.bytes, 144, 40), expected);
}

TEST(RestoreFileWriterTest, SourceReadErrorNamesTheSource) {
    ChunkedSource failing(counting(100), 10, 20);
    Bytes buffer(10);
    OutputRecord out;
    RestoreFileWriter w(test::memoryOutput(out));
    ASSERT_TRUE(w.writeHeader());
    const Status st = w.appendFileEntry(kSqtName, failing, "songs/00101.SQT", 100, buffer);
    EXPECT_EQ(st.code(), ErrorCode::IoError);
    EXPECT_EQ(st.path(), "songs/00101.SQT");
    EXPECT_EQ(out.bytes.size(), 16u + 128 + 100) << "the entry is completed with 0x00";
}

// --- A medium that fills up after N bytes ---

// The whole sequence of a small run: header, a streamed song file, an empty one, the
// information file (here a short stand-in, to keep the sequence small), close.
struct RunOutcome {
    std::vector<Status> steps;
};

RunOutcome writeSmallRun(std::unique_ptr<OutputFile> out) {
    RestoreFileWriter w(std::move(out), "card/Restore.sdb");
    RunOutcome r;
    Bytes buffer(16);
    ChunkedSource song(counting(40), 16);
    ChunkedSource empty({}, 16);
    r.steps.push_back(w.writeHeader());
    r.steps.push_back(w.appendFileEntry(kSqtName, song, "songs/00101.SQT", 40, buffer));
    r.steps.push_back(w.appendFileEntry("\\PRIVATE\\TECHNICS\\KN7000\\TFLD001\\0100101_.EFC", empty,
                                        "songs/00101.EFC", 0, buffer));
    r.steps.push_back(w.appendEntry(kInfEntryName, bytesOf("stand-in")));
    r.steps.push_back(w.close());
    return r;
}

TEST(RestoreFileWriterTest, FullMediumFailsTheStepThatOverflowsAndEveryLaterOne) {
    OutputRecord good;
    const RunOutcome ok = writeSmallRun(test::memoryOutput(good));
    for (const auto& st : ok.steps)
        ASSERT_TRUE(st) << st.toString();
    // End offsets of the steps: header, song entry, empty entry, stand-in entry.
    const std::vector<std::size_t> stepEnds = {16, 16 + 128 + 40, 16 + 128 + 40 + 128, good.bytes.size()};
    ASSERT_EQ(good.bytes.size(), 16u + 128 + 40 + 128 + 128 + 8);

    for (std::size_t limit = 0; limit < good.bytes.size(); ++limit) {
        SCOPED_TRACE("medium full after " + std::to_string(limit) + " bytes");
        OutputRecord out;
        const RunOutcome r = writeSmallRun(std::make_unique<test::LimitedOutputFile>(out, limit));
        const std::size_t failing = static_cast<std::size_t>(
            std::upper_bound(stepEnds.begin(), stepEnds.end(), limit) - stepEnds.begin());
        for (std::size_t i = 0; i < r.steps.size(); ++i) {
            if (i < failing) {
                EXPECT_TRUE(r.steps[i]) << "step " << i << ": " << r.steps[i].toString();
            } else {
                EXPECT_EQ(r.steps[i].code(), ErrorCode::NoSpace) << "step " << i;
                EXPECT_EQ(r.steps[i].path(), "card/Restore.sdb") << "step " << i;
            }
        }
        // Nothing is written after the failure, and what was written is the good prefix.
        EXPECT_EQ(out.bytes, slice(good.bytes, 0, limit));
        EXPECT_TRUE(out.closed) << "close still closes the file after a failure";
    }
}

TEST(RestoreFileWriterTest, FailureReportedOnlyAtCloseIsReported) {
    OutputRecord out;
    RestoreFileWriter w(std::make_unique<test::LimitedOutputFile>(out, SIZE_MAX, true), "card/Restore.sdb");
    ASSERT_TRUE(w.writeHeader());
    ASSERT_TRUE(w.appendEntry(kInfEntryName, infContent()));
    const Status st = w.close();
    EXPECT_EQ(st.code(), ErrorCode::IoError);
    EXPECT_EQ(st.path(), "card/Restore.sdb");
    EXPECT_FALSE(w.appendEntry(kSqtName, bytesOf("x")));
}

// --- Reading ---

struct ReadEntry {
    RestoreEntry entry;
    Bytes data;
};

// Reads a file with the streaming reader through a small buffer, in small reads; the
// first error (also that of the last-entry check) ends the reading.
Result<std::vector<ReadEntry>> streamRestoreFile(const Bytes& bytes, std::size_t bufferSize = 11) {
    SpanInputFile in(bytes, 5);
    RestoreFileReader reader(in, bytes.size(), "Restore.sdb");
    if (Status st = reader.readHeader(); !st)
        return st;
    std::vector<ReadEntry> entries;
    Bytes buffer(bufferSize);
    for (;;) {
        ReadEntry e;
        auto more = reader.next(e.entry);
        if (!more)
            return more.status();
        if (!*more)
            break;
        const Status st = reader.readData(buffer, [&e](std::span<const std::uint8_t> chunk) {
            e.data.insert(e.data.end(), chunk.begin(), chunk.end());
            return Status::ok();
        });
        if (!st)
            return st;
        entries.push_back(std::move(e));
    }
    if (Status st = reader.checkLastEntryIsInfoFile(); !st)
        return st;
    return entries;
}

TEST(RestoreFileReaderTest, ReadsEntryByEntryToTheExactEnd) {
    const Bytes file = sampleRestoreFile();
    const auto streamed = streamRestoreFile(file);
    ASSERT_TRUE(streamed) << streamed.status().toString();
    ASSERT_EQ(streamed->size(), 2u);
    EXPECT_EQ((*streamed)[0].entry.name, kSqtName);
    EXPECT_EQ((*streamed)[0].entry.headOffset, 16u);
    EXPECT_EQ((*streamed)[0].entry.dataOffset, 144u);
    EXPECT_EQ((*streamed)[0].data, bytesOf("0123456789"));
    EXPECT_EQ((*streamed)[1].entry.name, kInfEntryName);
    EXPECT_EQ((*streamed)[1].entry.headOffset, 154u);
    EXPECT_EQ((*streamed)[1].entry.dataOffset + (*streamed)[1].entry.length, file.size());
    EXPECT_EQ((*streamed)[1].data, infContent());

    const auto parsed = parseRestoreFile(file, "Restore.sdb");
    ASSERT_TRUE(parsed) << parsed.status().toString();
    ASSERT_EQ(parsed->size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ((*parsed)[i].name, (*streamed)[i].entry.name);
        EXPECT_EQ((*parsed)[i].headOffset, (*streamed)[i].entry.headOffset);
        EXPECT_EQ((*parsed)[i].dataOffset, (*streamed)[i].entry.dataOffset);
        EXPECT_EQ((*parsed)[i].length, (*streamed)[i].entry.length);
    }
}

TEST(RestoreFileReaderTest, DataMustBeReadOrSkippedBeforeTheNextEntry) {
    const Bytes file = sampleRestoreFile();
    SpanInputFile in(file);
    RestoreFileReader reader(in, file.size(), "Restore.sdb");
    ASSERT_TRUE(reader.readHeader());
    RestoreEntry e;
    ASSERT_TRUE(*reader.next(e));
    EXPECT_EQ(reader.next(e).status().code(), ErrorCode::InvalidArgument);
    Bytes buffer(4);
    ASSERT_TRUE(reader.skipData(buffer));
    ASSERT_TRUE(*reader.next(e));
    EXPECT_EQ(e.name, kInfEntryName);
    EXPECT_EQ(reader.checkLastEntryIsInfoFile().code(), ErrorCode::InvalidArgument) << "not at the end yet";
}

TEST(RestoreFileReaderTest, FileShorterThanItsStatedSize) {
    const Bytes file = sampleRestoreFile();
    SpanInputFile in{std::span(file).first(100)};
    RestoreFileReader reader(in, file.size(), "Restore.sdb");
    ASSERT_TRUE(reader.readHeader());
    RestoreEntry e;
    const auto r = reader.next(e);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.status().code(), ErrorCode::IoError);
    EXPECT_EQ(r.status().reason(), "at byte 100: the file ended before its size of 55098 bytes");
    EXPECT_EQ(reader.next(e).status().reason(), r.status().reason()) << "the error stays";
}

// --- Each corrupted field is reported with what is wrong and where ---

struct RestoreCorruption {
    const char* name;
    std::function<void(Bytes&)> corrupt;
    std::string reason;
};

class RestoreFileCorruptTest : public ::testing::TestWithParam<RestoreCorruption> {};

TEST_P(RestoreFileCorruptTest, BothReadersReportWhatAndWhere) {
    Bytes file = sampleRestoreFile();
    GetParam().corrupt(file);
    const auto parsed = parseRestoreFile(file, "Restore.sdb");
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.status().code(), ErrorCode::Corrupt);
    EXPECT_EQ(parsed.status().path(), "Restore.sdb");
    EXPECT_EQ(parsed.status().reason(), GetParam().reason);

    const auto streamed = streamRestoreFile(file);
    ASSERT_FALSE(streamed);
    EXPECT_EQ(streamed.status().code(), ErrorCode::Corrupt);
    EXPECT_EQ(streamed.status().reason(), GetParam().reason);
}

auto setByte(std::size_t at, std::uint8_t value) {
    return [at, value](Bytes& b) { b[at] = value; };
}
auto cutTo(std::size_t size) {
    return [size](Bytes& b) { b.resize(size); };
}
auto setLength(std::size_t headOffset, std::uint32_t length) {
    return [headOffset, length](Bytes& b) { putU32le(b, headOffset + 100, length); };
}

const std::string kInfQuoted = "\"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF\"";

INSTANTIATE_TEST_SUITE_P(
    OneFieldAtATime, RestoreFileCorruptTest,
    ::testing::Values(
        RestoreCorruption{"MagicFirstByte", setByte(0, 's'),
                          "at byte 0: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        RestoreCorruption{"MagicVersion", setByte(14, '2'),
                          "at byte 14: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        RestoreCorruption{"HeaderZero", setByte(15, ' '),
                          "at byte 15: the header is not \"SDBACKUP FILE01\" followed by a 0x00 byte"},
        RestoreCorruption{"Empty", cutTo(0), "at byte 0: the file ends inside its 16-byte header"},
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
        RestoreCorruption{"LengthPastTheEnd", setLength(16, 0x01000000),
                          "at byte 116: the entry \"" + kSqtName +
                              "\" declares 16777216 data bytes, but only 54954 follow its head"},
        RestoreCorruption{"LengthShortensTheEntry", setLength(16, 9),
                          // The next head then starts one byte early: its name gains the song's last
                          // data byte, and its length field takes the name's last 0x00 and three bytes
                          // of the real length 54816 (20 D6 00).
                          "at byte 253: the entry \"9\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INF\" declares "
                          "14032896 data bytes, but only 54817 follow its head"},
        RestoreCorruption{"InformationFileCutShort", cutTo(55097),
                          "at byte 254: the entry " + kInfQuoted +
                              " declares 54816 data bytes, but only 54815 follow its head"},
        RestoreCorruption{"LastEntryName", setByte(154 + 36, 'X'),
                          "at byte 154: the last entry is \"\\PRIVATE\\TECHNICS\\KN7000\\KN7000MN.INX\", not "
                          "the information file " +
                              kInfQuoted},
        RestoreCorruption{
            "LastEntryNameWindows1252", setByte(154 + 31, 0xDC),
            "at byte 154: the last entry is \"\\PRIVATE\\TECHNICS\\KN7000\\KN7000\xC3\x9CN.INF\", "
            "not the information file " +
                kInfQuoted},
        RestoreCorruption{"InformationFileLength",
                          [](Bytes& b) {
                              putU32le(b, 254, 54815);
                              b.pop_back();
                          },
                          "at byte 254: the information file entry holds 54815 bytes instead of 54816"},
        RestoreCorruption{
            "ByteAfterTheEnd", [](Bytes& b) { b.push_back(0); },
            "at byte 55098: the entry head is cut short: the file ends after 1 of its 128 bytes"},
        RestoreCorruption{"EntryAfterTheInformationFile",
                          [](Bytes& b) {
                              const auto head = restoreEntryHead(kSqtName, 0);
                              b.insert(b.end(), head->begin(), head->end());
                          },
                          "at byte 55098: the last entry is \"" + kSqtName + "\", not the information file " +
                              kInfQuoted}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lw
