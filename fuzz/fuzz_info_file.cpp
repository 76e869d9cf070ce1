// Information files of arbitrary bytes: the decoder must never crash and must accept
// exactly the 54816-byte files with the right header and constant areas. Inputs are also
// laid over the folder records of a valid file (which must then always decode, listing
// exactly the records and entries that are not all 0x00), and drive the two setters with
// arbitrary arguments.
#include "card/ByteIo.h"
#include "card/InfoFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace lw;

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

void checkListing(std::span<const std::uint8_t> bytes, const DecodedInfoFile& decoded) {
    std::size_t next = 0;
    for (std::size_t f = 0; f < kInfFolderCount; ++f) {
        const std::size_t record = kInfHeaderSize + f * kInfFolderRecordSize;
        const bool opened = !allBytesEqual(bytes.subspan(record, kInfFolderRecordSize), 0x00);
        if (!opened)
            continue;
        check(next < decoded.folders.size());
        const InfoFolder& folder = decoded.folders[next++];
        check(folder.number == static_cast<int>(f + 1) && folder.title.size() <= kInfTitleSize);
        std::size_t song = 0;
        for (std::size_t s = 0; s < kInfSongsPerFolder; ++s) {
            const std::size_t at = record + kInfTitleSize + s * kInfSongEntrySize;
            if (allBytesEqual(bytes.subspan(at, kInfSongEntrySize), 0x00))
                continue;
            check(song < folder.songs.size());
            const InfoSong& e = folder.songs[song++];
            check(e.slot == static_cast<int>(s) && e.name.size() <= kInfSongNameSize &&
                  e.sixChar.size() == 6);
            check(e.firstMask == bytes[at + kInfMask1Offset] && e.secondMask == bytes[at + kInfMask2Offset]);
        }
        check(song == folder.songs.size());
    }
    check(next == decoded.folders.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);

    // The input as a whole file.
    const auto raw = decodeInfoFile(input, "fuzz.inf");
    if (raw)
        checkListing(input, *raw);
    else
        check(raw.status().code() == ErrorCode::Corrupt && raw.status().reason().rfind("at byte ", 0) == 0);

    // The input laid over the folder records of a valid file.
    InfoFile inf;
    std::vector<std::uint8_t> file(inf.content().begin(), inf.content().end());
    const std::size_t n = std::min(size, kInfTrailerOffset - kInfHeaderSize);
    std::memcpy(file.data() + kInfHeaderSize, data, n);
    const auto overlaid = decodeInfoFile(file);
    check(overlaid.isOk());
    checkListing(file, *overlaid);

    // The setters with arguments from the input: accepted or refused, never outside the records.
    for (std::size_t i = 0; i + 12 <= size; i += 12) {
        const int folder = static_cast<std::int8_t>(data[i]);
        const int slot = static_cast<std::int8_t>(data[i + 1]);
        const std::string name(reinterpret_cast<const char*>(data + i + 2),
                               std::min<std::size_t>(data[i + 2] % 24, size - (i + 2)));
        const std::string six(reinterpret_cast<const char*>(data + i + 3),
                              std::min<std::size_t>(data[i + 3] % 8, size - (i + 3)));
        const Status title = inf.setFolderTitle(folder, name);
        check(title.isOk() == (folder >= 1 && folder <= 99));
        (void)inf.setSongEntry(folder, slot, name, six, data[i + 10], data[i + 11]);
    }
    const auto built = decodeInfoFile(inf.content());
    check(built.isOk());
    checkListing(inf.content(), *built);
    return 0;
}
