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
    Entry{
        WindowText::CardHoldsSongs,
        "Die SD-Card in %1 enthält bereits %2 in %3.\r\rErsetzen: Die vorhandenen Songs werden gelöscht; "
        "danach enthält die Karte nur noch die Songs dieser Übertragung.\rHinzufügen: Die vorhandenen Songs "
        "bleiben, die Songs dieser Übertragung kommen in neue Verzeichnisse dahinter.",
        "The SD card in %1 already holds %2 in %3.\r\rReplace: they are deleted; the card then holds only "
        "the songs of this transfer.\rAdd: they stay, and the songs of this transfer go into new folders "
        "after them."},
    Entry{WindowText::AnswerReplace, "&Ersetzen", "&Replace"},
    Entry{WindowText::AnswerAdd, "&Hinzufügen", "&Add"},
    Entry{WindowText::AnswerCancel, "Abbrechen", "Cancel"},
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

    Entry{WindowText::PreviewItem, "&Kartenvorschau…", "&Preview card…"},
    Entry{WindowText::PreviewTitle, "Kartenvorschau", "Card preview"},
    Entry{WindowText::PreviewCardReplace, "SD-Card in %1: die Songs darauf werden ersetzt.",
          "SD card in %1: the songs on it are replaced."},
    Entry{WindowText::PreviewCardAdd, "SD-Card in %1: die Songs kommen zu denen darauf hinzu.",
          "SD card in %1: the songs are added to those on it."},
    Entry{WindowText::PreviewRestoreFile, "Restore-Datei %1 für eine Karte mit %2 MB.",
          "Restore file %1 for a card of %2 MB."},
    Entry{WindowText::PreviewColumnFolder, "Verzeichnis / Song", "Folder / song"},
    Entry{WindowText::PreviewColumnFiles, "Dateien", "Files"},
    Entry{WindowText::PreviewNoTitle, "(ohne Titel)", "(no title)"},
    Entry{WindowText::PreviewOnCard, "bereits auf der Karte: %1", "on the card already: %1"},
    Entry{WindowText::PreviewLeftOut, "Ausgelassene Songs:", "Songs left out:"},
    Entry{WindowText::PreviewNoneLeftOut, "Kein markierter Song wird ausgelassen.",
          "No marked song is left out."},
    Entry{WindowText::PreviewColumnReason, "Grund", "Reason"},
    Entry{WindowText::ReasonNotFound, "nicht im Backup gefunden", "not found in the backup"},
    Entry{WindowText::ReasonNoRoom, "kein Platz mehr auf der Karte", "no room left on the card"},
    Entry{WindowText::ReasonNoFolder, "kein Verzeichnis mehr frei", "no folder left"},
    Entry{WindowText::ReasonFailed, "kann nicht gelesen werden", "cannot be read"},
    Entry{WindowText::ReasonSkipped, "sein Verzeichnis ist nicht markiert", "its folder is not marked"},
    Entry{WindowText::ReasonNotReached, "nicht erreicht", "not reached"},
    Entry{WindowText::PreviewFill, "Belegung der Karte:", "Card fill:"},
    Entry{WindowText::PreviewFillCard, "%1 MB von %2 MB, die auf der Karte frei sind",
          "%1 MB of the %2 MB free on the card"},
    Entry{WindowText::PreviewFillRestore, "%1 MB von %2 MB der Karte", "%1 MB of the card's %2 MB"},
    Entry{WindowText::PreviewSongsTransferred, "%1 von %2 markierten Songs würden übertragen.",
          "%1 of %2 marked songs would be transferred."},
    Entry{WindowText::PreviewEndComplete, "Die Übertragung würde bis zum Ende laufen.",
          "The transfer would run to the end."},
    Entry{WindowText::PreviewEndFull, "Die Übertragung würde anhalten, weil die Karte voll ist.",
          "The transfer would stop because the card is full."},
    Entry{WindowText::PreviewEndFolders,
          "Die Übertragung würde anhalten, weil alle 99 Verzeichnisse belegt sind.",
          "The transfer would stop because all 99 folders are in use."},
    Entry{WindowText::PreviewEndFailed,
          "Die Übertragung würde bei einer Songdatei anhalten, die nicht gelesen werden kann:\r%1",
          "The transfer would stop at a song file that cannot be read:\r%1"},
    Entry{WindowText::PreviewEndRefused, "Die Übertragung würde nicht beginnen:\r%1",
          "The transfer would not start:\r%1"},
    Entry{WindowText::PreviewNothingWritten, "Es wurde nichts geschrieben.", "Nothing has been written."},
    Entry{WindowText::PreviewClose, "&Schließen", "&Close"},
};

} // namespace

QString windowText(Localisation& localisation, WindowText text) {
    for (const Entry& entry : kTexts)
        if (entry.id == text)
            return QString::fromUtf8(localisation.language() == Language::English ? entry.english
                                                                                  : entry.german);
    return {};
}

QString songCountText(Localisation& localisation, std::size_t songs) {
    return songs == 1 ? windowText(localisation, WindowText::SongCountOne)
                      : windowText(localisation, WindowText::SongCountMany).arg(songs);
}

QString folderCountText(Localisation& localisation, std::size_t folders) {
    return folders == 1 ? windowText(localisation, WindowText::FolderCountOne)
                        : windowText(localisation, WindowText::FolderCountMany).arg(folders);
}

} // namespace lw::ui
