#include "card/CardLayout.h"

#include "backup/BackupFormat.h"

#include <algorithm>

namespace lw {

std::filesystem::path kn7000Path(const std::filesystem::path& cardRoot) {
    std::filesystem::path folder = cardRoot;
    for (std::string_view part : kKn7000FolderParts)
        folder /= std::string(part);
    return folder;
}

std::string sixCharName(std::string_view index) {
    std::string name(index.substr(0, kSixCharNameLength));
    name.resize(kSixCharNameLength, '_');
    return name;
}

std::string songFolderName(int folderNumber) {
    return "TFLD" + zeroPadded(folderNumber, 3);
}

std::string sequentialFolderTitle(int folderNumber) {
    return (folderNumber == 1 ? "Direktory " : "Directory ") + zeroPadded(folderNumber, 2);
}

std::string songFileBase(int slot, std::string_view sixChar) {
    return zeroPadded(slot + 1, 2) + std::string(sixChar);
}

int slotFromNumberColumn(std::string_view number) {
    constexpr int kCap = 1000000;
    std::size_t i = 0;
    while (i < number.size() && (number[i] == ' ' || number[i] == '\t'))
        ++i;
    if (i == number.size() || number[i] < '0' || number[i] > '9')
        return -1;
    int value = 0;
    for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i)
        value = std::min(kCap, value * 10 + (number[i] - '0'));
    return value - 1;
}

std::string restoreFolderPath(int folderNumber) {
    return "\\" + std::string(kKn7000Folder) + "\\" + songFolderName(folderNumber);
}

} // namespace lw
