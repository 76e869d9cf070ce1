#include "ui/dialogs/WindowTexts.h"

#include <array>

namespace lw::ui {

namespace {

struct Entry {
    WindowText id;
    const char* german;
    const char* english;
};

constexpr std::array kTexts = {
    Entry{WindowText::OpenBackupFolderItem, "Backupordner &öffnen…", "&Open backup folder…"},
    Entry{WindowText::OpenBackupFolderTitle, "Backupordner öffnen", "Open backup folder"},
    Entry{
        WindowText::ShortTable,
        "Die Tabellendatei %1 ist kürzer als eine vollständige Tabelle. Ihre fehlenden Einträge wurden als "
        "leer gelesen; bitte prüfen Sie das Backup, falls Songs oder Verzeichnisse fehlen.",
        "The table file %1 is shorter than a complete table. Its missing entries were read as empty; please "
        "check the backup if songs or folders are missing."},
    Entry{WindowText::CardHoldsSongs,
          "Die SD-Card in %1 enthält bereits %2 in %3. Sie werden durch die Songs dieser Übertragung ersetzt "
          "und sind danach nicht mehr auf der Karte.\r\rSollen die Songs auf der Karte ersetzt werden?",
          "The SD card in %1 already holds %2 in %3. They will be replaced by the songs of this transfer and "
          "will then be gone from the card.\r\rShall the songs on the card be replaced?"},
    Entry{WindowText::SongCountOne, "1 Song", "1 song"},
    Entry{WindowText::SongCountMany, "%1 Songs", "%1 songs"},
    Entry{WindowText::FolderCountOne, "1 Verzeichnis", "1 folder"},
    Entry{WindowText::FolderCountMany, "%1 Verzeichnissen", "%1 folders"},
    Entry{
        WindowText::DriveNotStored,
        "Das Laufwerk %1 kann nicht gespeichert werden: sein Name enthält ein Anführungszeichen, das die "
        "Einstellungsdatei nicht aufnehmen kann. Beim nächsten Programmstart wird es erneut gewählt.",
        "The drive %1 cannot be remembered: its name holds a quotation mark, which the settings file cannot "
        "store. It will be chosen again when the program next starts."},
};

} // namespace

QString windowText(Localisation& localisation, WindowText text) {
    for (const Entry& entry : kTexts)
        if (entry.id == text)
            return QString::fromUtf8(localisation.language() == Language::English ? entry.english
                                                                                  : entry.german);
    return {};
}

} // namespace lw::ui
