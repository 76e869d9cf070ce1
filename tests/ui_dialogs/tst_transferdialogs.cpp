// The transfer set-up dialogs: where the songs go, which drive is the card reader, and
// which card size a restore file is meant for.
#include "DialogTestSupport.h"

#include "card/CardSizes.h"
#include "ui/dialogs/DialogKit.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Transfermode.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace lw;
using namespace lw::test;
using lw::ui::SdGroesse;
using lw::ui::SelectCardreader;
using lw::ui::Transfermode;

Q_DECLARE_METATYPE(lw::OutputMode)
Q_DECLARE_METATYPE(std::vector<lw::DriveInfo>)

namespace {

QStringList clickList(const char* names) {
    return QString::fromLatin1(names).split(QLatin1Char(','));
}

// Selects a drive as the user would: by its place in the list.
void selectDrive(SelectCardreader& dialog, const QString& shown) {
    auto* list = child<QComboBox>(&dialog, "Drive1");
    const int index = list->findText(shown);
    QVERIFY2(index >= 0, qPrintable(shown));
    list->setCurrentIndex(index);
}

QString verdict(const SelectCardreader& dialog) {
    return child<QLabel>(&dialog, "lbl_DriveInfo")->text();
}

bool startEnabled(const SelectCardreader& dialog) {
    return child<QPushButton>(&dialog, "but_Start")->isEnabled();
}

} // namespace

class TransferDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // --- Transfer mode -------------------------------------------------------------

    void transfermode_answer_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<lw::OutputMode>("mode");
        QTest::addColumn<int>("result");
        QTest::newRow("card reader button") << "but_SD_Reader" << OutputMode::Card << int(QDialog::Accepted);
        QTest::newRow("restore file button")
            << "but_Erstelle_Imagedate" << OutputMode::RestoreFile << int(QDialog::Accepted);
        QTest::newRow("close box") << "close" << OutputMode::RestoreFile << int(QDialog::Rejected);
    }

    void transfermode_answer() {
        QFETCH(QString, action);
        QFETCH(lw::OutputMode, mode);
        QFETCH(int, result);
        ProgramPlace place;
        auto localisation = place.localisation();
        // An earlier run in card mode must not carry over into this opening.
        {
            Transfermode earlier(*localisation);
            child<QPushButton>(&earlier, "but_SD_Reader")->click();
            QCOMPARE(earlier.outputMode(), OutputMode::Card);
        }
        Transfermode dialog(*localisation);
        QCOMPARE(dialog.outputMode(), OutputMode::RestoreFile);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (action == QLatin1String("close"))
            dialog.close();
        else
            QTest::mouseClick(dialog.findChild<QPushButton*>(action), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.outputMode(), mode);
        QCOMPARE(dialog.result(), result);
    }

    void transfermode_speaks_the_current_language() {
        ProgramPlace place;
        place.writeSettings(settingsLine("2", ""));
        auto localisation = place.localisation();
        Transfermode dialog(*localisation);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Transfer mode"));
        QCOMPARE(child<QPushButton>(&dialog, "but_SD_Reader")->text(),
                 QStringLiteral("Transfer data direct to the SD card adapter."));
        QCOMPARE(child<QPushButton>(&dialog, "but_Erstelle_Imagedate")->text(),
                 QStringLiteral(
                     "Create the restore file for a later transfer with the Technics SongManager KN7000"));
    }

    // --- Card reader: picking the list's drives --------------------------------------

    void initial_and_saved_drive_places_data() {
        QTest::addColumn<std::vector<DriveInfo>>("drives");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("initial");
        QTest::addColumn<int>("found");
        const std::vector<DriveInfo> windows = windowsDrives();
        QTest::newRow("saved e:") << windows << "e:" << 0 << 2;
        QTest::newRow("letter case ignored") << windows << "E:" << 0 << 2;
        QTest::newRow("saved with a volume name") << windows << "e: [SDCARD]" << 0 << 2;
        QTest::newRow("saved drive unplugged") << windows << "f:" << 0 << -1;
        QTest::newRow("nothing saved") << windows << "" << 0 << -1;
        const std::vector<DriveInfo> linux = {drive("/", DriveType::Fixed),
                                              drive("/media/anna/SDCARD", DriveType::Removable)};
        QTest::newRow("mount point") << linux << "/media/anna/SDCARD" << 0 << 1;
        QTest::newRow("mount point is exact") << linux << "/media/anna/SDCARD/x" << 0 << -1;
        const std::vector<DriveInfo> floppyFirst = {
            drive("a:", DriveType::Removable), drive("d:", DriveType::CdRom), drive("c:", DriveType::Fixed)};
        QTest::newRow("system disk not first") << floppyFirst << "" << 2 << -1;
        QTest::newRow("no fixed disk")
            << std::vector<DriveInfo>{drive("e:", DriveType::Removable)} << "" << 0 << -1;
        QTest::newRow("no drives") << std::vector<DriveInfo>{} << "e:" << -1 << -1;
    }

    void initial_and_saved_drive_places() {
        QFETCH(std::vector<DriveInfo>, drives);
        QFETCH(QString, saved);
        QFETCH(int, initial);
        QFETCH(int, found);
        QCOMPARE(ui::initialDriveIndex(drives), initial);
        QCOMPARE(ui::savedDriveIndex(drives, saved.toStdString()), found);
    }

    // --- Card reader: verdicts and the settings file --------------------------------

    void first_use_judges_the_system_disk() {
        ProgramPlace place;
        auto localisation = place.localisation();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        QCOMPARE(child<QComboBox>(&dialog, "Drive1")->currentText(), QStringLiteral("c: [SYSTEM]"));
        QCOMPARE(verdict(dialog), msg(*localisation, 163));
        QVERIFY(!startEnabled(dialog));
        QVERIFY(dialog.cardDrive().empty());
        QVERIFY(!place.settingsContent()); // no verdict so far was a user's accepted selection
    }

    void selection_verdicts_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("card reader") << "e: [SDCARD]" << true;
        QTest::newRow("floppy A: is removable but refused") << "a:" << false;
        QTest::newRow("optical drive") << "d:" << false;
        QTest::newRow("system disk") << "c: [SYSTEM]" << false;
    }

    void selection_verdicts() {
        QFETCH(QString, shown);
        QFETCH(bool, accepted);
        ProgramPlace place;
        place.writeSettings(settingsLine("2", "", "kept"));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        // Start on the card reader, so that every row is a change of drive.
        if (shown == QLatin1String("c: [SYSTEM]"))
            selectDrive(dialog, QStringLiteral("e: [SDCARD]"));
        place.writeSettings(settingsLine("2", "untouched", "kept"));

        selectDrive(dialog, shown);
        if (accepted) {
            QCOMPARE(verdict(dialog),
                     msg(*localisation, 164) + QStringLiteral("\r\n") + msg(*localisation, 165));
            QVERIFY(startEnabled(dialog));
            QCOMPARE(dialog.cardDrive(), std::string("e:"));
            QCOMPARE(place.settingsContent().value(), settingsLine("2", "e:", "kept"));
        } else {
            QCOMPARE(verdict(dialog), msg(*localisation, 166));
            QVERIFY(!startEnabled(dialog));
            QVERIFY(dialog.cardDrive().empty());
            QCOMPARE(place.settingsContent().value(), settingsLine("2", "untouched", "kept"));
        }
    }

    void saved_card_reader_is_preselected_and_saved_again() {
        ProgramPlace place;
        place.writeSettings("1, E: ,reserved\r\n"); // a hand-made file: rewritten in the program's form
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        QCOMPARE(child<QComboBox>(&dialog, "Drive1")->currentText(), QStringLiteral("e: [SDCARD]"));
        QCOMPARE(verdict(dialog), msg(*localisation, 161) + QStringLiteral("\r\n") + msg(*localisation, 162));
        QVERIFY(startEnabled(dialog));
        QCOMPARE(dialog.cardDrive(), std::string("e:"));
        QCOMPARE(place.settingsContent().value(), settingsLine("1", "e:", "reserved"));
    }

    void unplugged_card_reader_leaves_the_system_disk() {
        ProgramPlace place;
        place.writeSettings(settingsLine("1", "f:"));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        QCOMPARE(child<QComboBox>(&dialog, "Drive1")->currentText(), QStringLiteral("c: [SYSTEM]"));
        QCOMPARE(verdict(dialog), msg(*localisation, 163));
        QVERIFY(!startEnabled(dialog));
        QVERIFY(dialog.cardDrive().empty());
        QCOMPARE(place.settingsContent().value(), settingsLine("1", "f:")); // not written
    }

    void closing_keeps_or_empties_the_card_drive_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("cardDrive");
        QTest::addColumn<int>("result");
        QTest::newRow("start") << "but_Start"
                               << "e:" << int(QDialog::Accepted);
        QTest::newRow("cancel") << "but_Abbruch"
                                << "" << int(QDialog::Rejected);
        QTest::newRow("close box") << "close"
                                   << "e:" << int(QDialog::Rejected);
    }

    void closing_keeps_or_empties_the_card_drive() {
        QFETCH(QString, how);
        QFETCH(QString, cardDrive);
        QFETCH(int, result);
        ProgramPlace place;
        place.writeSettings(settingsLine("2", ""));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        selectDrive(dialog, QStringLiteral("e: [SDCARD]"));
        if (how == QLatin1String("close"))
            dialog.close();
        else
            QTest::mouseClick(dialog.findChild<QPushButton*>(how), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
        QCOMPARE(QString::fromStdString(localisation->settings().cardDrive), cardDrive);
        // The accepted selection was saved; cancelling does not take it back.
        QCOMPARE(place.settingsContent().value(), settingsLine("2", "e:"));
    }

    void after_cancel_the_next_opening_starts_from_the_system_disk() {
        ProgramPlace place;
        place.writeSettings(settingsLine("2", "e:"));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        {
            SelectCardreader first(*localisation, drives);
            QVERIFY(startEnabled(first));
            child<QPushButton>(&first, "but_Abbruch")->click();
        }
        SelectCardreader second(*localisation, drives);
        QCOMPARE(child<QComboBox>(&second, "Drive1")->currentText(), QStringLiteral("c: [SYSTEM]"));
        QVERIFY(!startEnabled(second));
        QCOMPARE(place.settingsContent().value(), settingsLine("2", "e:"));
        // The next program start reads the saved drive again.
        auto restarted = place.localisation();
        restarted->readSettingsFile();
        SelectCardreader third(*restarted, drives);
        QCOMPARE(third.cardDrive(), std::string("e:"));
    }

    void card_reader_texts() {
        ProgramPlace place;
        auto localisation = place.localisation();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("SD-Karten-Schreib-/Lesegerät"));
        QCOMPARE(child<QLabel>(&dialog, "lbl_Formathinweis")->text(), msg(*localisation, 170));
        QCOMPARE(child<QLabel>(&dialog, "lbl_Driveauswahl")->text(), msg(*localisation, 171));
        QCOMPARE(child<QPushButton>(&dialog, "but_Abbruch")->text(), QStringLiteral("Abbruch"));
        QCOMPARE(child<QPushButton>(&dialog, "but_Start")->text(), QStringLiteral("OK"));
        const QPalette colours = child<QLabel>(&dialog, "lbl_DriveInfo")->palette();
        QCOMPARE(colours.color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(colours.color(QPalette::Window), QColor(224, 224, 224));
    }

    // --- Card size --------------------------------------------------------------------

    void card_size_choices_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("cluster");
        QTest::newRow("confirmed at once") << QStringList() << 63318128 << 16384;
        QTest::newRow("8 MB") << clickList("Option1_0") << 6676592 << 8192;
        QTest::newRow("8 MB then 1024 MB") << clickList("Option1_0,Option1_7") << 999910000 << 16384;
        QTest::newRow("256 MB with 32 kByte clusters")
            << clickList("Option1_5,Label1,option_ClusterGroesse_4") << 251910000 << 32768;
        QTest::newRow("a card size again resets the cluster size")
            << clickList("Option1_5,Label1,option_ClusterGroesse_4,Option1_6") << 505910000 << 16384;
        QTest::newRow("8 MB again resets to 8 kByte")
            << clickList("Option1_0,Label1,option_ClusterGroesse_1,Option1_0") << 6676592 << 8192;
        QTest::newRow("the chosen card size clicked again")
            << clickList("Option1_5,Label1,option_ClusterGroesse_0,Option1_5") << 251910000 << 16384;
        QTest::newRow("cluster size alone")
            << clickList("Label1,option_ClusterGroesse_2") << 63318128 << 8192;
    }

    void card_size_choices() {
        QFETCH(QStringList, clicks);
        QFETCH(int, capacity);
        QFETCH(int, cluster);
        ProgramPlace place;
        auto localisation = place.localisation();
        // An earlier opening's choice does not carry over.
        {
            SdGroesse earlier(*localisation);
            earlier.show();
            QTest::mouseClick(child<QRadioButton>(&earlier, "Option1_1"), Qt::LeftButton);
            QCOMPARE(earlier.cardCapacity(), 13910000);
        }
        SdGroesse dialog(*localisation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const QString& name : clicks) {
            auto* target = dialog.findChild<QWidget*>(name);
            QVERIFY2(target, qPrintable(name));
            QVERIFY2(target->isVisible() &&
                         dialog.rect().contains(target->mapTo(&dialog, target->rect().center())),
                     qPrintable(name + QStringLiteral(" cannot be reached")));
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(8, target->height() / 2));
        }
        QTest::mouseClick(child<QPushButton>(&dialog, "but_OK"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.cardCapacity(), capacity);
        QCOMPARE(dialog.clusterSize(), cluster);
    }

    void cluster_sizes_hide_until_the_prompt_is_clicked() {
        ProgramPlace place;
        auto localisation = place.localisation();
        SdGroesse dialog(*localisation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* frame = child<QGroupBox>(&dialog, "frame_ClusterGroesse");
        QVERIFY(frame->geometry().left() >= dialog.width());
        QTest::mouseClick(child<QLabel>(&dialog, "Label1"), Qt::LeftButton);
        QCOMPARE(dialog.width(), ui::dlg::px(7215 - ui::dlg::kFrameWidthTwips));
        QVERIFY(dialog.rect().contains(frame->geometry()));
        QCOMPARE(child<QRadioButton>(&dialog, "Option1_7")->text(), QStringLiteral("1024 MB"));
        QCOMPARE(child<QRadioButton>(&dialog, "option_ClusterGroesse_0")->text(),
                 QStringLiteral("2   kByte/Cluster"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("SD-Card"));
        QCOMPARE(frame->title(), QStringLiteral("Clustergröße"));
    }
};

QTEST_MAIN(TransferDialogsTest)
#include "tst_transferdialogs.moc"
