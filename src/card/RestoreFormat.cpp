#include "card/RestoreFormat.h"

#include "backup/Cp1252.h"
#include "card/ByteIo.h"

namespace lw {

namespace {

Status invalid(const std::string& path, std::string reason) {
    return Status::error(ErrorCode::InvalidArgument, path, std::move(reason));
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool isDeviceName(std::string_view part) {
    std::string base = upperAscii(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' &&
           base[3] <= '9';
}

// Why a part has no place on a card, or empty when it has one.
std::string partFault(std::string_view part) {
    if (part.empty())
        return "an empty part";
    if (part == "." || part == "..")
        return "the part \"" + std::string(part) + "\", which leaves its folder";
    for (char c : part) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return "a control character";
        if (std::string_view("/:*?\"<>|").find(c) != std::string_view::npos)
            return std::string("the character ") + c + ", which a card's file names cannot hold";
    }
    if (part.back() == '.' || part.back() == ' ')
        return "a part ending in a dot or a blank, which Windows drops";
    if (isDeviceName(part))
        return "the device name " + upperAscii(part.substr(0, part.find('.'))) + " of Windows";
    return {};
}

} // namespace

std::array<std::uint8_t, kRestoreHeaderSize> restoreHeader() {
    std::array<std::uint8_t, kRestoreHeaderSize> header{};
    putText(header, 0, kRestoreMagic);
    return header;
}

Result<std::array<std::uint8_t, kRestoreEntryHeadSize>> restoreEntryHead(std::string_view name,
                                                                         std::uint32_t length) {
    if (name.empty())
        return invalid({}, "a restore file entry needs a name");
    if (name.find('\0') != std::string_view::npos)
        return invalid(cp1252ToUtf8(name), "the entry name holds a 0x00 byte");
    if (name.size() >= kRestoreNameSize)
        return invalid(cp1252ToUtf8(name), "the entry name is " + std::to_string(name.size()) +
                                               " bytes long; a restore file holds names of at most " +
                                               std::to_string(kRestoreNameSize - 1) + " bytes");
    std::array<std::uint8_t, kRestoreEntryHeadSize> head{};
    putText(head, 0, name);
    putU32le(head, kRestoreLengthOffset, length);
    return head;
}

Result<std::vector<std::string>> cardPathParts(std::string_view name) {
    if (name.empty() || name[0] != '\\')
        return invalid(cp1252ToUtf8(name), "the name does not start with \\ (the card's root)");
    std::vector<std::string> parts;
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = name.find('\\', start);
        const std::string_view part =
            name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (const std::string fault = partFault(part); !fault.empty())
            return invalid(cp1252ToUtf8(name), "the name holds " + fault);
        parts.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

} // namespace lw
