#include "backup/WorkingList.h"
#include "backup/Cp1252.h"

#include <algorithm>

namespace lw {

unsigned char foldCaseCp1252(unsigned char b) {
    if (b >= 'A' && b <= 'Z')
        return static_cast<unsigned char>(b + 32);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) // Latin-1 capitals, not the multiplication sign
        return static_cast<unsigned char>(b + 32);
    switch (b) {
    case 0x8A: // S caron
    case 0x8C: // OE
    case 0x8E: // Z caron
        return static_cast<unsigned char>(b + 16);
    case 0x9F: // Y diaeresis
        return 0xFF;
    default:
        return b;
    }
}

void WorkingList::clear() {
    m_rows.clear();
    m_format = nullptr;
    m_availableSongs = 0;
    m_selectedCount = 0;
    notifyReset();
}

void WorkingList::build(const BackupFormat& format, ListOrder order) {
    m_rows.clear();
    m_format = &format;
    m_order = order;
    m_availableSongs = 0;
}

void WorkingList::addSong(const SongSlot& slot) {
    ListRow row;
    row.text = slot.name.substr(0, kMaxKn7000NameLength);
    row.name = slot.name;
    const std::string five = zeroPadded(slot.fileNumber, 5);
    row.number =
        m_order == ListOrder::Standard ? five.substr(3, 2) : five.substr(0, 3) + "-" + five.substr(3, 2);
    row.index = zeroPadded(slot.fileNumber, m_format->indexDigits);
    row.marked = true;
    row.icon = kIconMarkedSong;
    m_rows.push_back(std::move(row));
    ++m_availableSongs;
}

void WorkingList::Liste_erstellen(const BackupFormat& format, const std::vector<FolderEntry>& folders,
                                  const std::vector<SongSlot>& songs) {
    build(format, ListOrder::Standard);
    m_rows.reserve(folders.size() + songs.size());
    for (std::size_t g = 0; g < folders.size(); ++g) {
        ListRow folder;
        folder.text = folders[g].name;
        folder.number = zeroPadded(folders[g].number, 3);
        folder.icon = kIconFolder;
        folder.marked = true;
        const std::size_t folderRow = m_rows.size();
        m_rows.push_back(std::move(folder));
        bool any = false;
        for (std::size_t s = 0; s < kPlacesPerListFolder; ++s) {
            const std::size_t pos = g * kPlacesPerListFolder + s;
            if (pos < songs.size() && !songs[pos].name.empty()) {
                addSong(songs[pos]);
                any = true;
            }
        }
        if (!any)
            m_rows[folderRow].marked = false;
    }
    m_selectedCount = static_cast<std::int16_t>(m_availableSongs);
    notifyReset();
}

void WorkingList::Liste_erstellen_Alphabetisch(const BackupFormat& format,
                                               const std::vector<SongSlot>& songs) {
    build(format, ListOrder::Alphabetical);
    // The places are sorted before their rows are made: moving a few thousand rows of
    // several texts each through the sort's buffer costs more than all the comparisons.
    // A row's text is the first 16 characters of its name, and that is what sorts.
    std::vector<const SongSlot*> named;
    named.reserve(songs.size());
    for (const auto& slot : songs)
        if (!slot.name.empty())
            named.push_back(&slot);
    std::stable_sort(named.begin(), named.end(), [](const SongSlot* a, const SongSlot* b) {
        const std::string_view x = std::string_view(a->name).substr(0, kMaxKn7000NameLength);
        const std::string_view y = std::string_view(b->name).substr(0, kMaxKn7000NameLength);
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
            return foldCaseCp1252(static_cast<unsigned char>(c)) <
                   foldCaseCp1252(static_cast<unsigned char>(d));
        });
    });
    m_rows.reserve(named.size());
    for (const SongSlot* slot : named)
        addSong(*slot);
    m_selectedCount = static_cast<std::int16_t>(m_availableSongs);
    notifyReset();
}

void WorkingList::setMarkByUser(std::size_t i, bool m) {
    if (i >= m_rows.size() || m_rows[i].marked == m)
        return;
    ListRow& r = m_rows[i];
    r.marked = m;
    std::size_t first = i;
    std::size_t last = i;
    if (r.isFolder()) {
        for (std::size_t j = i + 1; j < m_rows.size() && j <= i + kFolderMarkReach; ++j) {
            ListRow& song = m_rows[j];
            if (song.isFolder())
                break;
            if (m && !song.marked) {
                song.icon = kIconMarkedSong;
                ++m_selectedCount;
            } else if (!m && song.marked) {
                song.icon = kIconUnmarkedSong;
                --m_selectedCount;
            }
            song.marked = m;
            last = j;
        }
    } else {
        if (m) {
            for (std::size_t j = i; j-- > 0;) {
                if (m_rows[j].isFolder()) {
                    m_rows[j].marked = true;
                    first = j;
                    break;
                }
            }
        }
        r.icon = m ? kIconMarkedSong : kIconUnmarkedSong;
        m_selectedCount = static_cast<std::int16_t>(m_selectedCount + (m ? 1 : -1));
    }
    notifyRows(first, last);
    notifyCounts();
}

void WorkingList::pressAllMarks() {
    m_allMarksPressed = !m_allMarksPressed;
    const bool m = !m_allMarksPressed;
    for (ListRow& r : m_rows) {
        r.marked = m;
        if (!r.isFolder())
            r.icon = m ? kIconMarkedSong : kIconUnmarkedSong;
    }
    m_selectedCount = static_cast<std::int16_t>(m ? m_availableSongs : 0);
    if (!m_rows.empty())
        notifyRows(0, m_rows.size() - 1);
    notifyCounts();
}

const std::string& WorkingList::rename(std::size_t i, std::string_view utf8Text) {
    static const std::string kNone;
    if (i >= m_rows.size())
        return kNone;
    if (const auto nul = utf8Text.find('\0'); nul != std::string_view::npos)
        utf8Text = utf8Text.substr(0, nul);
    m_rows[i].text = utf8ToCp1252(utf8Text, kMaxKn7000NameLength);
    notifyRows(i, i);
    return m_rows[i].text;
}

void WorkingList::setResult(std::size_t i, int message) {
    if (i >= m_rows.size())
        return;
    m_rows[i].resultMessage = message;
    notifyRows(i, i);
}

void WorkingList::markTransferred(std::size_t i) {
    if (i >= m_rows.size() || !m_rows[i].marked)
        return;
    m_rows[i].marked = false;
    --m_selectedCount;
    notifyRows(i, i);
    notifyCounts();
}

std::optional<std::size_t> WorkingList::findSong(std::string_view index) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].isSong() && m_rows[i].index == index)
            return i;
    return std::nullopt;
}

std::optional<std::size_t> WorkingList::findFolder(std::string_view number) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].isFolder() && m_rows[i].number == number)
            return i;
    return std::nullopt;
}

void WorkingList::notifyReset() {
    if (m_observer) {
        m_observer->listReset();
        m_observer->countsChanged();
    }
}

void WorkingList::notifyRows(std::size_t first, std::size_t last) {
    if (m_observer)
        m_observer->rowsChanged(first, last);
}

void WorkingList::notifyCounts() {
    if (m_observer)
        m_observer->countsChanged();
}

} // namespace lw
