// The message tables: complete, sorted (the lookup searches them by halves), and a set of
// texts whose blanks and spelling users and the help texts rely on.
#include "settings/MessageTables.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

TEST(MessageTable, Holds102NumbersSortedEachWithBothTexts) {
    const auto& table = messageTable();
    ASSERT_EQ(table.size(), 102u);
    EXPECT_EQ(table.front().number, 17);
    EXPECT_EQ(table.back().number, 195);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(table[i - 1].number, table[i].number) << "entry " << i;
        }
        EXPECT_FALSE(table[i].english.empty()) << table[i].number;
        EXPECT_FALSE(table[i].german.empty()) << table[i].number;
        // Every entry is found by the lookup, in both languages.
        EXPECT_EQ(messageText(Language::English, table[i].number), table[i].english);
        EXPECT_EQ(messageText(Language::German, table[i].number), table[i].german);
    }
}

TEST(MessageTable, NumbersOutsideItAreEmpty) {
    for (int number :
         {0, 1, 16, 21, 32, 105, 112, 116, 128, 133, 144, 149, 160, 172, 176, 178, 192, 196, -5}) {
        for (Language language : {Language::English, Language::German}) {
            EXPECT_EQ(messageText(language, number), "") << number;
        }
    }
}

struct TextCase {
    int number;
    const char* english;
    const char* german;
};

class ExactText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ExactText, InBothLanguages) {
    EXPECT_EQ(messageText(Language::English, GetParam().number), GetParam().english);
    EXPECT_EQ(messageText(Language::German, GetParam().number), GetParam().german);
}

INSTANTIATE_TEST_SUITE_P(
    BlanksAndSpelling, ExactText,
    ::testing::Values(
        TextCase{17, "Alphabetic", "Alphabetisch"}, TextCase{34, "Error ", "Fehler "},
        TextCase{35, " cause of ", " wurde ausgelöst durch "},
        TextCase{37, "Shall the backup be charged for processing?",
                 "Soll es zur Bearbeitung eingelesen werden ?"},
        TextCase{40, "is to small. The estimated SD card size is",
                 " nicht aus. Es wurde ein ungefährer Speicherplatzbedarf von "},
        TextCase{42, "If you transfer the data direct to de SD card adapter, the message is meaningless.",
                 " Sofern die Daten direkt auf ein SD-Card Schreib-Lesegerät übertragen werden, ist diese "
                 "Meldung bedeutungslos."},
        TextCase{48, "not found", "not found"},
        TextCase{73, "Please control wheather a SD card in in the adapter (read/write)",
                 ". Bitte prüfen Sie, ob sich eine SD-Card Im SD-Card Schreib-/Lesegerät befindet."},
        TextCase{80, "Select the directory path with the backup data. ",
                 "Bitte wählen sie das Datenverzeichnis aus, in dem die Backupdaten vorliegen."},
        TextCase{91, "           Dir./Song name KN7000", "          Verz./Songname KN7000"},
        TextCase{113, "Version:", "Version: "},
        TextCase{129, "The file system data couldn't be readed.",
                 "Die Filesystemdaten konnten nicht eingelesen werden."},
        TextCase{145, "Cluster size", "ClusterGröße"}, TextCase{146, "Cluster size", "Clustergröße"},
        TextCase{177, "Language", "Sprache/Language"},
        TextCase{195, "Create the restore file for a later transfer with the Technics SongManager KN7000",
                 "Restoredatei erstellen zur späteren Übertragung mit dem Songmanager für KN7000"}));

TEST(MessageTable, Message91HasItsLeadingBlanks) {
    EXPECT_EQ(messageText(Language::English, 91).find_first_not_of(' '), 11u);
    EXPECT_EQ(messageText(Language::German, 91).find_first_not_of(' '), 10u);
}

TEST(MessageTable, Message63TellsWhereTheRestoreFileIsAndWhatToDo) {
    const std::string_view german = messageText(Language::German, 63);
    EXPECT_EQ(german,
              "\\RestorSDB\\Restore.sdb --erstellt. Starten Sie nun das dem Keyboard beiligende Song "
              "Manager for KN-Programm und übertragen damit über die Funktion RESTORE die Daten auf die "
              "SD-Card.");
    // The English text follows the program's folder in the closing message, like the German.
    const std::string english(messageText(Language::English, 63));
    EXPECT_EQ(english.rfind("\\RestorSDB\\Restore.sdb", 0), 0u) << english;
    EXPECT_NE(english.find("Song Manager"), std::string::npos) << english;
    EXPECT_NE(english.find("RESTORE"), std::string::npos) << english;
}

} // namespace
} // namespace lw
