// The transfer set-up dialogs: where the songs go, which drive is the card reader (its
// verdicts and what reaches the settings file), and which card size a restore file is for.
#include "DialogTestSupport.h"

#include "ui/dialogs/DialogKit.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Transfermode.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace lw;
using namespace lw::test;
using lw::ui::SdGroesse;
using lw::ui::SelectCardreader;

Q_DECLARE_METATYPE(std::vector<lw::DriveInfo>)

namespace {

void closeBy(QDialog& dialog, const QString& how) {
    dialog.show();
    if (how == QLatin1String("close"))
        dialog.close();
    else
        QTest::mouseClick(dialog.findChild<QPushButton*>(how), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

} // namespace

class TransferDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void transfermode_answer_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("card");
        QTest::newRow("card reader button") << "but_SD_Reader" << true;
        QTest::newRow("restore file button") << "but_Erstelle_Imagedate" << false;
        QTest::newRow("close box after an earlier card run") << "close" << false;
    }

    void transfermode_answer() {
        QFETCH(QString, how);
        QFETCH(bool, card);
        ProgramPlace place;
        auto localisation = place.localisation();
        {
            ui::Transfermode earlier(*localisation);
            closeBy(earlier, QStringLiteral("but_SD_Reader"));
        }
        ui::Transfermode dialog(*localisation);
        closeBy(dialog, how);
        QCOMPARE(dialog.outputMode(), card ? OutputMode::Card : OutputMode::RestoreFile);
    }

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
        const std::vector<DriveInfo> linux = {drive("/", DriveType::Fixed),
                                              drive("/media/anna/SDCARD", DriveType::Removable)};
        QTest::newRow("mount point") << linux << "/media/anna/SDCARD" << 0 << 1;
        QTest::newRow("mount point is exact") << linux << "/media/anna/SDCARD/x" << 0 << -1;
        QTest::newRow("system disk not first")
            << std::vector<DriveInfo>{drive("a:", DriveType::Removable), drive("c:", DriveType::Fixed)} << ""
            << 1 << -1;
        QTest::newRow("no drives") << std::vector<DriveInfo>{} << "e:" << -1 << -1;
    }

    void initial_and_saved_drive_places() {
        QFETCH(std::vector<DriveInfo>, drives);
        QFETCH(QString, saved);
        QFETCH(int, initial);
        QFETCH(int, found);
        QCOMPARE(initialDriveIndex(drives), initial);
        QCOMPARE(savedDriveIndex(drives, saved.toStdString()), found);
    }

    // What the dialog judges when it opens, and what it leaves in the settings file.
    void opening_verdict_data() {
        QTest::addColumn<QString>("settings"); // empty: no settings file
        QTest::addColumn<QString>("listed");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("written"); // the settings file afterwards
        QTest::newRow("first use: the system disk") << ""
                                                    << "c: [SYSTEM]" << 163 << "";
        QTest::newRow("saved reader, rewritten in the program's form")
            << "1, E: ,reserved\r\n"
            << "e: [SDCARD]" << 161 << QString::fromStdString(settingsLine("1", "e:", "reserved"));
        QTest::newRow("saved reader unplugged")
            << QString::fromStdString(settingsLine("1", "f:")) << "c: [SYSTEM]" << 163
            << QString::fromStdString(settingsLine("1", "f:"));
    }

    void opening_verdict() {
        QFETCH(QString, settings);
        QFETCH(QString, listed);
        QFETCH(int, verdict);
        QFETCH(QString, written);
        ProgramPlace place;
        if (!settings.isEmpty())
            place.writeSettings(settings.toStdString());
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        QCOMPARE(child<QComboBox>(&dialog, "Drive1")->currentText(), listed);
        QVERIFY(child<QLabel>(&dialog, "lbl_DriveInfo")->text().startsWith(msg(*localisation, verdict)));
        QCOMPARE(child<QPushButton>(&dialog, "but_Start")->isEnabled(), verdict == 161);
        QCOMPARE(dialog.cardDrive(), std::string(verdict == 161 ? "e:" : ""));
        QCOMPARE(QString::fromStdString(place.settingsContent().value_or("")), written);
    }

    void selection_verdicts_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("card reader") << "e: [SDCARD]" << true;
        QTest::newRow("floppy A: is removable but refused") << "a:" << false;
        QTest::newRow("optical drive") << "d:" << false;
    }

    void selection_verdicts() {
        QFETCH(QString, shown);
        QFETCH(bool, accepted);
        ProgramPlace place;
        place.writeSettings(settingsLine("2", "untouched", "kept"));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        auto* list = child<QComboBox>(&dialog, "Drive1");
        list->setCurrentIndex(list->findText(shown));
        QCOMPARE(child<QLabel>(&dialog, "lbl_DriveInfo")
                     ->text()
                     .startsWith(msg(*localisation, accepted ? 164 : 166)),
                 true);
        QCOMPARE(child<QPushButton>(&dialog, "but_Start")->isEnabled(), accepted);
        QCOMPARE(dialog.cardDrive(), std::string(accepted ? "e:" : ""));
        QCOMPARE(place.settingsContent().value(), settingsLine("2", accepted ? "e:" : "untouched", "kept"));
    }

    void closing_keeps_or_empties_the_card_drive_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("cardDrive");
        QTest::newRow("start") << "but_Start"
                               << "e:";
        QTest::newRow("cancel") << "but_Abbruch"
                                << "";
        QTest::newRow("close box") << "close"
                                   << "e:";
    }

    void closing_keeps_or_empties_the_card_drive() {
        QFETCH(QString, how);
        QFETCH(QString, cardDrive);
        ProgramPlace place;
        place.writeSettings(settingsLine("2", ""));
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        SelectCardreader dialog(*localisation, drives);
        auto* list = child<QComboBox>(&dialog, "Drive1");
        list->setCurrentIndex(list->findText(QStringLiteral("e: [SDCARD]")));
        closeBy(dialog, how);
        QCOMPARE(QString::fromStdString(dialog.cardDrive()), cardDrive);
        // The accepted selection was saved; cancelling does not take it back, and the next
        // opening starts from the system disk.
        QCOMPARE(place.settingsContent().value(), settingsLine("2", "e:"));
        SelectCardreader next(*localisation, drives);
        QCOMPARE(next.cardDrive().empty(), cardDrive.isEmpty());
    }

    void card_size_choices_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("cluster");
        QTest::newRow("confirmed at once") << "" << 63318128 << 16384;
        QTest::newRow("8 MB") << "Option1_0" << 6676592 << 8192;
        QTest::newRow("8 MB then 1024 MB") << "Option1_0,Option1_7" << 999910000 << 16384;
        QTest::newRow("256 MB with 32 kByte clusters")
            << "Option1_5,Label1,option_ClusterGroesse_4" << 251910000 << 32768;
        QTest::newRow("a card size again resets the cluster size")
            << "Option1_5,Label1,option_ClusterGroesse_4,Option1_6" << 505910000 << 16384;
        QTest::newRow("8 MB again resets to 8 kByte")
            << "Option1_0,Label1,option_ClusterGroesse_1,Option1_0" << 6676592 << 8192;
        QTest::newRow("the chosen card size clicked again")
            << "Option1_5,Label1,option_ClusterGroesse_0,Option1_5" << 251910000 << 16384;
        QTest::newRow("cluster size alone") << "Label1,option_ClusterGroesse_2" << 63318128 << 8192;
    }

    void card_size_choices() {
        QFETCH(QString, clicks);
        QFETCH(int, capacity);
        QFETCH(int, cluster);
        ProgramPlace place;
        auto localisation = place.localisation();
        {
            SdGroesse earlier(*localisation); // an earlier opening's choice does not carry over
            earlier.show();
            QTest::mouseClick(child<QWidget>(&earlier, "Option1_1"), Qt::LeftButton);
        }
        SdGroesse dialog(*localisation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The cluster sizes lie beyond the dialog's edge until its prompt is clicked.
        QVERIFY(child<QGroupBox>(&dialog, "frame_ClusterGroesse")->geometry().left() >= dialog.width());
        for (const QString& name : clicks.split(u',', Qt::SkipEmptyParts)) {
            auto* target = dialog.findChild<QWidget*>(name);
            QVERIFY2(target && target->isVisible() &&
                         dialog.rect().contains(target->mapTo(&dialog, target->rect().center())),
                     qPrintable(name + QStringLiteral(" cannot be reached")));
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(8, target->height() / 2));
        }
        closeBy(dialog, QStringLiteral("but_OK"));
        QCOMPARE(dialog.cardCapacity(), capacity);
        QCOMPARE(dialog.clusterSize(), cluster);
    }
};

QTEST_MAIN(TransferDialogsTest)
#include "tst_transferdialogs.moc"
