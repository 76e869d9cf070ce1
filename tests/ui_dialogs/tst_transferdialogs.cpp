// The transfer set-up dialogs: where the songs go, which drive is the card reader (its
// verdict and what reaches the settings file), and which card size a restore file is for.
#include "DialogTestSupport.h"

#include "platform/Path.h"
#include "settings/SettingsFile.h"
#include "support/FakeDrives.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Transfermode.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace lw;
using namespace lw::test;

namespace {

// Shows the dialog and closes it by the button of that name, or by its close box ("close").
void closeBy(QDialog& dialog, const QString& how) {
    dialog.show();
    if (how == QLatin1String("close"))
        dialog.close();
    else
        QTest::mouseClick(child<QPushButton>(dialog, qPrintable(how)), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

// A Windows machine: the system disk, the floppy drive A:, a card reader E:, a CD drive D:.
std::vector<DriveInfo> windowsDrives() {
    const auto drive = [](const char* text, DriveType type, const char* label) {
        return DriveInfo{text, pathFromUtf8(cardRootOf(text)), type, label};
    };
    return {drive("c:", DriveType::Fixed, "SYSTEM"), drive("a:", DriveType::Removable, ""),
            drive("e:", DriveType::Removable, "SDCARD"), drive("d:", DriveType::CdRom, "")};
}

QString settingsLine(const char* language, const char* drive, const char* reserved = "") {
    return QString::fromStdString(formatSettings({language, drive, reserved}));
}

} // namespace

class TransferDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // Only the card-reader button chooses the card; each opening starts from the restore file.
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
        ui::Transfermode earlier(*localisation);
        closeBy(earlier, QStringLiteral("but_SD_Reader"));
        ui::Transfermode dialog(*localisation);
        closeBy(dialog, how);
        QCOMPARE(dialog.outputMode(), card ? OutputMode::Card : OutputMode::RestoreFile);
    }

    // The drive judged on opening (the saved one, else the system disk) and on a selection:
    // only an accepted drive enables Start, becomes CardDrive and reaches the settings file.
    void card_reader_verdict_data() {
        QTest::addColumn<QString>("settings"); // empty: no settings file
        QTest::addColumn<QString>("selected"); // empty: as the dialog opens
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("written"); // the settings file afterwards
        QTest::newRow("first use: the system disk") << ""
                                                    << "" << false << "";
        QTest::newRow("saved reader in any case, rewritten in the program's form")
            << "1, E: ,reserved\r\n"
            << "" << true << settingsLine("1", "e:", "reserved");
        QTest::newRow("saved with its volume name")
            << settingsLine("1", "e: [SDCARD]") << "" << true << settingsLine("1", "e:");
        QTest::newRow("saved reader unplugged")
            << settingsLine("1", "f:") << "" << false << settingsLine("1", "f:");
        QTest::newRow("card reader chosen")
            << settingsLine("2", "x", "kept") << "e: [SDCARD]" << true << settingsLine("2", "e:", "kept");
        QTest::newRow("floppy A: is removable but refused")
            << settingsLine("2", "x") << "a:" << false << settingsLine("2", "x");
        QTest::newRow("optical drive") << settingsLine("2", "x") << "d:" << false << settingsLine("2", "x");
    }

    void card_reader_verdict() {
        QFETCH(QString, settings);
        QFETCH(QString, selected);
        QFETCH(bool, accepted);
        QFETCH(QString, written);
        ProgramPlace place;
        if (!settings.isEmpty())
            place.writeSettings(settings.toStdString());
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        ui::SelectCardreader dialog(*localisation, drives);
        auto* list = child<QComboBox>(dialog, "Drive1");
        if (!selected.isEmpty())
            list->setCurrentIndex(list->findText(selected));
        QCOMPARE(child<QPushButton>(dialog, "but_Start")->isEnabled(), accepted);
        QCOMPARE(dialog.cardDrive(), std::string(accepted ? "e:" : ""));
        QCOMPARE(QString::fromStdString(place.settingsContent().value_or("")), written);
    }

    // Where the drive list starts, and how a saved drive text is found in it.
    void initial_and_saved_drive_places_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("systemDiskFirst");
        QTest::addColumn<int>("initial");
        QTest::addColumn<int>("found");
        QTest::newRow("mount point") << "/media/anna/SDCARD" << true << 0 << 1;
        QTest::newRow("mount point is exact") << "/media/anna/SDCARD/x" << true << 0 << -1;
        QTest::newRow("system disk not first") << "" << false << 1 << -1;
    }

    void initial_and_saved_drive_places() {
        QFETCH(QString, saved);
        QFETCH(bool, systemDiskFirst);
        QFETCH(int, initial);
        QFETCH(int, found);
        std::vector<DriveInfo> drives = {
            {"/", "/", DriveType::Fixed, {}},
            {"/media/anna/SDCARD", "/media/anna/SDCARD", DriveType::Removable, {}}};
        if (!systemDiskFirst)
            std::swap(drives[0], drives[1]);
        QCOMPARE(ui::initialDriveIndex(drives), initial);
        QCOMPARE(ui::savedDriveIndex(drives, saved.toStdString()), found);
        QCOMPARE(ui::initialDriveIndex({}), -1);
    }

    // Start and the close box keep the accepted drive, cancel empties CardDrive; the
    // settings file keeps the accepted drive in every case.
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
        place.writeSettings(settingsLine("2", "").toStdString());
        auto localisation = place.localisation();
        localisation->readSettingsFile();
        FakeDrives drives(windowsDrives());
        ui::SelectCardreader dialog(*localisation, drives);
        auto* list = child<QComboBox>(dialog, "Drive1");
        list->setCurrentIndex(list->findText(QStringLiteral("e: [SDCARD]")));
        closeBy(dialog, how);
        QCOMPARE(QString::fromStdString(dialog.cardDrive()), cardDrive);
        QCOMPARE(QString::fromStdString(place.settingsContent().value()), settingsLine("2", "e:"));
    }

    // Every opening starts from 64 MB with 16 kByte clusters; a card size brings its own
    // cluster size, and the cluster sizes can be reached only after the prompt is clicked.
    void card_size_choices_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("cluster");
        QTest::newRow("confirmed at once") << "" << 63318128 << 16384;
        QTest::newRow("8 MB") << "Option1_0" << 6676592 << 8192;
        QTest::newRow("256 MB with 32 kByte clusters")
            << "Option1_5,Label1,option_ClusterGroesse_4" << 251910000 << 32768;
        QTest::newRow("a card size again resets the cluster size")
            << "Option1_5,Label1,option_ClusterGroesse_4,Option1_6" << 505910000 << 16384;
    }

    void card_size_choices() {
        QFETCH(QString, clicks);
        QFETCH(int, capacity);
        QFETCH(int, cluster);
        ProgramPlace place;
        auto localisation = place.localisation();
        ui::SdGroesse earlier(*localisation); // its choice does not carry over
        earlier.show();
        QTest::mouseClick(child(earlier, "Option1_1"), Qt::LeftButton);
        ui::SdGroesse dialog(*localisation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const QString& name : clicks.split(u',', Qt::SkipEmptyParts)) {
            auto* target = child(dialog, qPrintable(name));
            QVERIFY2(target->isVisible() &&
                         dialog.rect().contains(target->mapTo(&dialog, target->rect().center())),
                     qPrintable(name));
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(8, target->height() / 2));
        }
        closeBy(dialog, QStringLiteral("but_OK"));
        QCOMPARE(dialog.cardCapacity(), capacity);
        QCOMPARE(dialog.clusterSize(), cluster);
    }
};

QTEST_MAIN(TransferDialogsTest)
#include "tst_transferdialogs.moc"
