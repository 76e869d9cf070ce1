#include "card/InfoFile.h"

#include "card/ByteIo.h"
#include "card/CardLayout.h"

namespace lw {

namespace {

static_assert(kInfFolderCount == static_cast<std::size_t>(kMaxSongFolders));
static_assert(kInfSongsPerFolder == static_cast<std::size_t>(kSlotsPerFolder));

bool validFolder(int folderNumber) {
    return folderNumber >= 1 && folderNumber <= kMaxSongFolders;
}
bool validSlot(int slot) {
    return slot >= 0 && slot < kSlotsPerFolder;
}

std::size_t recordOffset(int folderNumber) {
    return kInfHeaderSize + kInfFolderRecordSize * static_cast<std::size_t>(folderNumber - 1);
}

std::size_t entryOffset(int folderNumber, int slot) {
    return recordOffset(folderNumber) + kInfTitleSize + kInfSongEntrySize * static_cast<std::size_t>(slot);
}

// The first `size` bytes of the text, then 0x00 to the end of the field.
void putField(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t size, std::string_view text) {
    fillBytes(bytes, offset, size, 0x00);
    putText(bytes, offset, text.substr(0, size));
}

std::string hexByte(std::uint8_t b) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[b >> 4] + kDigits[b & 0x0F];
}

Status invalid(std::string reason) {
    return Status::error(ErrorCode::InvalidArgument, {}, std::move(reason));
}

std::vector<std::string_view> typesOf(std::uint8_t mask, std::span<const SongFileType> group) {
    std::vector<std::string_view> types;
    for (const auto& t : group)
        if (mask & t.bit)
            types.push_back(t.extension);
    return types;
}

} // namespace

InfoFile::InfoFile() {
    m_bytes.fill(0x00);
    putText(m_bytes, 0, kInfMagic);
    for (const auto& area : kInfConstantAreas)
        fillBytes(m_bytes, area.offset, area.size, area.value);
}

InfoFile::InfoFile(std::span<const std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin());
}

Result<InfoFile> InfoFile::fromBytes(std::span<const std::uint8_t> bytes, const std::string& path) {
    if (auto decoded = decodeInfoFile(bytes, path); !decoded)
        return decoded.status();
    return InfoFile(bytes);
}

bool InfoFile::folderInUse(int folderNumber) const {
    return validFolder(folderNumber) &&
           !allBytesEqual(byteField(std::span<const std::uint8_t>(m_bytes), recordOffset(folderNumber),
                                    kInfFolderRecordSize),
                          0x00);
}

Status InfoFile::setFolderTitle(int folderNumber, std::string_view title) {
    if (!validFolder(folderNumber))
        return invalid("folder number " + std::to_string(folderNumber) + " is outside 1 to 99");
    putField(m_bytes, recordOffset(folderNumber), kInfTitleSize, title);
    return Status::ok();
}

Status InfoFile::setSongEntry(int folderNumber, int slot, std::string_view name, std::string_view sixChar,
                              std::uint8_t firstMask, std::uint8_t secondMask) {
    if (!validFolder(folderNumber))
        return invalid("folder number " + std::to_string(folderNumber) + " is outside 1 to 99");
    if (!validSlot(slot))
        return invalid("slot " + std::to_string(slot) + " is outside 0 to 19");
    if (sixChar.size() != kSixCharNameLength)
        return invalid("the six-character name \"" + std::string(sixChar) + "\" is not 6 characters long");
    if ((firstMask & ~kFirstGroupMaskBits) != 0 || (secondMask & ~kSecondGroupMaskBits) != 0)
        return invalid("file-group masks " + std::to_string(firstMask) + " and " +
                       std::to_string(secondMask) + " hold a bit that no file type has");
    if (firstMask == 0 && secondMask == 0)
        return invalid("a song entry needs at least one transferred file");
    const std::size_t at = entryOffset(folderNumber, slot);
    putField(m_bytes, at, kInfSongNameSize, name);
    putText(m_bytes, at + kInfSixCharOffset, sixChar);
    m_bytes[at + kInfMask1Offset] = firstMask;
    m_bytes[at + kInfMask2Offset] = secondMask;
    return Status::ok();
}

Result<DecodedInfoFile> decodeInfoFile(std::span<const std::uint8_t> bytes, const std::string& path) {
    const auto corrupt = [&path](std::size_t at, const std::string& what) {
        return Status::error(ErrorCode::Corrupt, path, "at byte " + std::to_string(at) + ": " + what);
    };
    if (bytes.size() != kInfSize)
        return corrupt(std::min(bytes.size(), kInfSize), "the file is " + std::to_string(bytes.size()) +
                                                             " bytes long; an information file has exactly " +
                                                             std::to_string(kInfSize) + " bytes");
    for (std::size_t i = 0; i < kInfMagic.size(); ++i)
        if (bytes[i] != static_cast<std::uint8_t>(kInfMagic[i]))
            return corrupt(i, "the header is not \"" + std::string(kInfMagic) + "\"");
    for (const auto& area : kInfConstantAreas) {
        if (const auto wrong = firstByteNotEqual(byteField(bytes, area.offset, area.size), area.value)) {
            const std::size_t at = area.offset + *wrong;
            return corrupt(at, "bytes " + std::to_string(area.offset) + " to " +
                                   std::to_string(area.offset + area.size - 1) + " must all be " +
                                   hexByte(area.value) + ", this one is " + hexByte(bytes[at]));
        }
    }

    DecodedInfoFile decoded;
    for (int n = 1; n <= kMaxSongFolders; ++n) {
        const std::size_t record = recordOffset(n);
        if (allBytesEqual(byteField(bytes, record, kInfFolderRecordSize), 0x00))
            continue;
        InfoFolder folder;
        folder.number = n;
        folder.title = textUpToNul(bytes, record, kInfTitleSize);
        for (int s = 0; s < kSlotsPerFolder; ++s) {
            const std::size_t at = entryOffset(n, s);
            if (allBytesEqual(byteField(bytes, at, kInfSongEntrySize), 0x00))
                continue;
            InfoSong song;
            song.slot = s;
            song.name = textUpToNul(bytes, at, kInfSongNameSize);
            const auto six = byteField(bytes, at + kInfSixCharOffset, kSixCharNameLength);
            song.sixChar.assign(six.begin(), six.end());
            song.firstMask = bytes[at + kInfMask1Offset];
            song.secondMask = bytes[at + kInfMask2Offset];
            folder.songs.push_back(std::move(song));
        }
        decoded.folders.push_back(std::move(folder));
    }
    return decoded;
}

std::vector<std::string_view> firstGroupTypes(std::uint8_t mask) {
    return typesOf(mask, kFirstGroup);
}
std::vector<std::string_view> secondGroupTypes(std::uint8_t mask) {
    return typesOf(mask, kSecondGroup);
}

} // namespace lw
