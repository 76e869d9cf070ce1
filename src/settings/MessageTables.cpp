// The two message tables: every caption, label and message the program shows, by
// number, in English and German. The texts are kept exactly as the program has always
// shown them, typos and leading or trailing blanks included, because users and the
// help texts know them that way.
#include "settings/MessageTables.h"

namespace lw {

namespace {

// UTF-8 text from a u8 literal, without a copy.
template <std::size_t N>
constexpr std::string_view sv(const char8_t (&s)[N]) {
    return {reinterpret_cast<const char*>(s), N - 1};
}

} // namespace

const std::array<MessageEntry, kMessageCount>& messageTable() {
    static const std::array<MessageEntry, kMessageCount> table = {{
        {17, sv(u8"Alphabetic"), sv(u8"Alphabetisch")},
        {18, sv(u8"Standard"), sv(u8"Standard")},
        {19, sv(u8"Depense on your decision, the data will be stored in the same order on the SD card."),
         sv(u8"Je nachdem, wie Sie sich entscheiden, werden die Daten auch in dementsprechender Reihenfolge "
            u8"auf das Keyboard übertragen.")},
        {20, sv(u8"Would you like to create the working list in alphabetic or in logical oder?"),
         sv(u8"Möchten Sie die Bearbeitungsliste alphabetisch oder im Standardformat erstellen.")},
        {33, sv(u8"Drive not available."), sv(u8"Laufwerk nicht verfügbar.")},
        {34, sv(u8"Error "), sv(u8"Fehler ")},
        {35, sv(u8" cause of "), sv(u8" wurde ausgelöst durch ")},
        {36, sv(u8"A Backup was found on the select directory path."),
         sv(u8"Es wurde unter dem ausgewählten Verzeichnispfad ein Backup gefunden.")},
        {37, sv(u8"Shall the backup be charged for processing?"),
         sv(u8"Soll es zur Bearbeitung eingelesen werden ?")},
        {38, sv(u8"Question"), sv(u8"Frage")},
        {39,
         sv(u8"If you plan to transfer all the files to the selected SD card, please note that the size of "
            u8"the SD card "),
         sv(u8"Sofern Sie alle Daten über den Songmanager für das KN7000 übertragen möchten, reicht der "
            u8"Speicherplatz auf dem Laufwerk ")},
        {40, sv(u8"is to small. The estimated SD card size is"),
         sv(u8" nicht aus. Es wurde ein ungefährer Speicherplatzbedarf von ")},
        {41, sv(u8"Megabyte."), sv(u8" Megabyte ermittelt.")},
        {42, sv(u8"If you transfer the data direct to de SD card adapter, the message is meaningless."),
         sv(u8" Sofern die Daten direkt auf ein SD-Card Schreib-Lesegerät übertragen werden, ist diese "
            u8"Meldung bedeutungslos.")},
        {43, sv(u8"Info"), sv(u8"Info")},
        {44,
         sv(u8"Attention: Only a formatted SD card (on the KN7000) can store the data correct! All existing "
            u8"data will be overwritten! "),
         sv(u8"Bitte beachten Sie, dass die Daten nur auf eine zuvor im Keyboard neu formatierte SD-Card "
            u8"übertragen werden können. Auf der SD-Card dürfen keine Daten gespeichert sein.")},
        {45, sv(u8"Info"), sv(u8"Info")},
        {46,
         sv(u8"Because the directory structure with 99 directories is reached, no further songs can be "
            u8"transferred."),
         sv(u8"Da die Verzeichnisstruktur von 99 Verzeichnissen der SD-Card erschöpft ist, können keine "
            u8"weiteren Daten mehr übertragen werden.")},
        {47, sv(u8"Info"), sv(u8"Info")},
        {48, sv(u8"not found"), sv(u8"not found")},
        {49, sv(u8"There is no free space on the SD card. No further songs can be transferred."),
         sv(u8"Kapazität der SD-Card ist erschöpft. Es können keine weiteren Daten mehr übernommen werden.")},
        {50, sv(u8"Info"), sv(u8"Info")},
        {51, sv(u8"OK"), sv(u8"OK")},
        {52, sv(u8"Would you like to cancel?"), sv(u8"Möchten Sie abbrechen ?")},
        {53, sv(u8"Question"), sv(u8"Frage")},
        {54,
         sv(u8"Because the directory structure with 99 directories is reached, no further songs can be "
            u8"transferred."),
         sv(u8"Da die Verzeichnisstruktur von 99 Verzeichnissen der SD-Card erschöpft ist, können keine "
            u8"weiteren Daten mehr übertragen werden.")},
        {55, sv(u8"Info"), sv(u8"Info")},
        {56, sv(u8"not found"), sv(u8"not found")},
        {57, sv(u8"There is no free space on the SD card. No further songs can be transferred."),
         sv(u8"Kapazität der SD-Card ist erschöpft. Es können keine weiteren Daten mehr übernommen werden.")},
        {58, sv(u8"Info"), sv(u8"Info")},
        {59, sv(u8"OK"), sv(u8"OK")},
        {60, sv(u8"Would you like to cancel?"), sv(u8"Möchten Sie abbrechen ?")},
        {61, sv(u8"Question"), sv(u8"Frage")},
        {62, sv(u8"The restore file was stored on the path --"),
         sv(u8"Die Restore-Datei wurde unter dem Pfad --")},
        {63,
         sv(u8"\\RestorSDB\\Restore.sdb --was created. Now start the Song Manager for KN program that came "
            u8"with the keyboard and use its RESTORE function to transfer the data onto the SD card."),
         sv(u8"\\RestorSDB\\Restore.sdb --erstellt. Starten Sie nun das dem Keyboard beiligende Song Manager "
            u8"for KN-Programm und übertragen damit über die Funktion RESTORE die Daten auf die SD-Card.")},
        {64, sv(u8"Info"), sv(u8"Info")},
        {65, sv(u8"The data was saved on the"), sv(u8"Die Daten wurden auf dem Laufwerk ")},
        {66, sv(u8"drive."), sv(u8" gespeichert.")},
        {67, sv(u8"Info"), sv(u8"Info")},
        {68, sv(u8"Error "), sv(u8"Fehler ")},
        {69, sv(u8" cause of "), sv(u8" wurde ausgelöst durch ")},
        {70, sv(u8"Message"), sv(u8"Meldung")},
        {71, sv(u8"Error "), sv(u8"Fehler ")},
        {72, sv(u8" cause of "), sv(u8" wurde ausgelöst durch ")},
        {73, sv(u8"Please control wheather a SD card in in the adapter (read/write)"),
         sv(u8". Bitte prüfen Sie, ob sich eine SD-Card Im SD-Card Schreib-/Lesegerät befindet.")},
        {74, sv(u8"Message"), sv(u8"Meldung")},
        {75, sv(u8"No entry"), sv(u8"Kein Eintrag")},
        {76, sv(u8"There is no free space on the SD card. No further songs can be transferred."),
         sv(u8"Kapazität der SD-Card ist erschöpft. Es können keine weiteren Daten mehr übernommen werden.")},
        {77, sv(u8"Info"), sv(u8"Info")},
        {78, sv(u8"There is no free space on the SD card. No further songs can be transferred."),
         sv(u8"Kapazität der SD-Card ist erschöpft. Es können keine weiteren Daten mehr übernommen werden.")},
        {79, sv(u8"Info"), sv(u8"Info")},
        {80, sv(u8"Select the directory path with the backup data. "),
         sv(u8"Bitte wählen sie das Datenverzeichnis aus, in dem die Backupdaten vorliegen.")},
        {81, sv(u8"Cancel"), sv(u8"Abbruch")},
        {82, sv(u8"song order: one after the other"), sv(u8"Songs hintereinander anordnen")},
        {83, sv(u8"Keep directory structure"), sv(u8"Verzeichnisstruktur beibehalten")},
        {84, sv(u8"Transfer start"), sv(u8"Transfer ausführen")},
        {85, sv(u8"All marks ON/OFF"), sv(u8"Alle Markierungen Ein/Aus")},
        {86, sv(u8"available songs"), sv(u8"Vorhandene Songs")},
        {87, sv(u8"Selected songs"), sv(u8"Selektierte Songs")},
        {88, sv(u8"KN type"), sv(u8"Gerätetyp")},
        {89, sv(u8"Directory selection"), sv(u8"Selektion des Datenverzeichnisses")},
        {90, sv(u8"Backup path"), sv(u8"Backuppfad")},
        {91, sv(u8"           Dir./Song name KN7000"), sv(u8"          Verz./Songname KN7000")},
        {92, sv(u8"No."), sv(u8"Nr.")},
        {93, sv(u8"Song name"), sv(u8"Songname")},
        {94, sv(u8"Text editing"), sv(u8"Textbearbeitung")},
        {95, sv(u8"&Program"), sv(u8"&Programm")},
        {96, sv(u8"&Language selection"), sv(u8"&Sprachwahl")},
        {97, sv(u8"&End"), sv(u8"&Beenden")},
        {98, sv(u8"&Execute"), sv(u8"&Ausführen")},
        {99, sv(u8"&Transfer execute"), sv(u8"&Transfer ausführen")},
        {100, sv(u8"Help"), sv(u8"Hilfe")},
        {101, sv(u8"&Help"), sv(u8"&Hilfe")},
        {102, sv(u8"Inf&o"), sv(u8"Inf&o")},
        {103, sv(u8"OK"), sv(u8"OK")},
        {104, sv(u8"OK"), sv(u8"OK")},
        {113, sv(u8"Version:"), sv(u8"Version: ")},
        {114, sv(u8"Info"), sv(u8"Info")},
        {115, sv(u8"Version No."), sv(u8"Versionsnummer")},
        {129, sv(u8"The file system data couldn't be readed."),
         sv(u8"Die Filesystemdaten konnten nicht eingelesen werden.")},
        {130, sv(u8"Error"), sv(u8"Fehler")},
        {131,
         sv(u8"Please check whether a SD-Card is in the SD-Card reading device and whether the SD-Card "
            u8"reading device is adjusted correctly under Select SD-CardReader."),
         sv(u8"Bitte prüfen Sie, ob sich eine SD-Card Im SD-Card Schreib-/Lesegerät befindet und ob das "
            u8"SD-Card Schreib-/Lesegerät unter -Select SD-CardReader- richtig eingestellt ist.")},
        {132, sv(u8"Message"), sv(u8"Meldung")},
        {145, sv(u8"Cluster size"), sv(u8"ClusterGröße")},
        {146, sv(u8"Cluster size"), sv(u8"Clustergröße")},
        {147, sv(u8"SD card size"), sv(u8"SD-Cardgröße")},
        {148, sv(u8"Select the SD card size"), sv(u8"Bitte wählen Sie die SD-Cardgröße")},
        {161, sv(u8"removable data storage found"), sv(u8"Wechseldatenträger gefunden.")},
        {162, sv(u8"If this is a SD card adapter (read/write) you can use it."),
         sv(u8"Sofern es sich um ein SD-Card Schreib-Lesegerät handelt kann dies jetzt benutzt werden.")},
        {163, sv(u8"The selected drive is not a removable data storage. You cannot use it."),
         sv(u8"Das gewählte Laufwerk ist kein Wechseldatenträger. Es kann nicht benutzt werden.")},
        {164, sv(u8"removable data storage found."), sv(u8"Wechseldatenträger gefunden.")},
        {165, sv(u8"If this is a SD card adapter (read/write), you can use it now."),
         sv(u8"Sofern es sich um ein SD-Card Schreib-Lesegerät handelt kann dies jetzt benutzt werden.")},
        {166, sv(u8"The selected drive is not a removable data storage. You cannot use it!"),
         sv(u8"Das gewählte Laufwerk ist kein Wechseldatenträger. Es kann nicht benutzt werden.")},
        {167, sv(u8"SD card adapter (read/write)"), sv(u8"SD-Karten-Schreib-/Lesegerät")},
        {168, sv(u8"Cancel"), sv(u8"Abbruch")},
        {169, sv(u8"OK"), sv(u8"OK")},
        {170, sv(u8"1. Put a formatted SD card into the SD adapter"),
         sv(u8"1. Bitte legen Sie eine neu formatierte SD-Karte in das SD-Karten-Schreib-/Lesegerät ein.")},
        {171, sv(u8"2. Select the SD card adapter (read/write)."),
         sv(u8"2. Wählen Sie das SD-Karten-Schreib-/Lesegerät aus.")},
        {177, sv(u8"Language"), sv(u8"Sprache/Language")},
        {193, sv(u8"Transfer mode"), sv(u8"Transfermode")},
        {194, sv(u8"Transfer data direct to the SD card adapter."),
         sv(u8"Daten direkt auf SD-Karten-Schreib-/Lesegerät übertragen")},
        {195, sv(u8"Create the restore file for a later transfer with the Technics SongManager KN7000"),
         sv(u8"Restoredatei erstellen zur späteren Übertragung mit dem Songmanager für KN7000")},
    }};
    return table;
}

} // namespace lw
