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
    if (how == QStringLiteral("close"))
        dialog.close();
    else
        QTest::mouseClick(child<QPushButton>(dialog, qPrintable(how)), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

DriveInfo drive(const char* text, DriveType type, const char* label = "") {
    return {text, pathFromUtf8(cardRootOf(text)), type, label};
}

QString settingsLine(const char* language, const char* drive, const char* reserved = "") {
    return QString::fromStdString(formatSettings({language, drive, reserved}));
}

} // namespace

class TransferDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // Only the card-reader button chooses the card; each opening starts from the restore file.
    void transfermode_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("card");
        QTest::newRow("card reader button") << "but_SD_Reader" << true;
        QTest::newRow("restore file button") << "but_Erstelle_Imagedate" << false;
        QTest::newRow("close box after an earlier card run") << "close" << false;
    }
    void transfermode() {
        QFETCH(QString, how);
        QFETCH(bool, card);
        ProgramPlace place;
        ui::Transfermode earlier(place.localisation);
        closeBy(earlier, QStringLiteral("but_SD_Reader"));
        ui::Transfermode dialog(place.localisation);
        closeBy(dialog, how);
        QCOMPARE(dialog.outputMode(), card ? OutputMode::Card : OutputMode::RestoreFile);
    }

    // The drive judged on opening (the saved one, else the system disk) and on a selection
    // on a Windows machine: only a removable drive other than A: and B: enables Start and
    // reaches the settings file; cancel empties CardDrive but leaves the file.
    void cardReader_data() {
        QTest::addColumn<QString>("selected"); // empty: as the dialog opens
        QTest::addColumn<bool>("accepted");    // e: is the card drive
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("written"); // the settings file afterwards
        const QString old = settingsLine("2", "x", "kept");
        const QString chosen = settingsLine("2", "e:", "kept");
        QTest::newRow("first use: the system disk") << "" << false << "close" << QString() << QString();
        QTest::newRow("saved reader in another form, rewritten")
            << "" << true << "but_Start" << QStringLiteral("1, E: [SDCARD] ,r\r\n")
            << settingsLine("1", "e:", "r");
        QTest::newRow("saved reader unplugged") << "" << false << "close" << old << old;
        QTest::newRow("card reader chosen") << "e: [SDCARD]" << true << "close" << old << chosen;
        QTest::newRow("chosen, then cancelled") << "e: [SDCARD]" << false << "but_Abbruch" << old << chosen;
        QTest::newRow("floppy A: is removable but refused") << "a:" << false << "close" << old << old;
        QTest::newRow("optical drive") << "d:" << false << "close" << old << old;
    }
    void cardReader() {
        QFETCH(QString, selected);
        QFETCH(bool, accepted);
        QFETCH(QString, how);
        QFETCH(QString, settings);
        QFETCH(QString, written);
        ProgramPlace place;
        if (!settings.isEmpty())
            place.writeSettings(settings.toStdString());
        place.localisation.readSettingsFile();
        FakeDrives drives({drive("c:", DriveType::Fixed, "SYSTEM"), drive("a:", DriveType::Removable),
                           drive("e:", DriveType::Removable, "SDCARD"), drive("d:", DriveType::CdRom)});
        ui::SelectCardreader dialog(place.localisation, drives);
        auto* list = child<QComboBox>(dialog, "Drive1");
        if (!selected.isEmpty())
            list->setCurrentIndex(list->findText(selected));
        QCOMPARE(child<QPushButton>(dialog, "but_Start")->isEnabled(), !dialog.cardDrive().empty());
        closeBy(dialog, how);
        QCOMPARE(dialog.cardDrive(), std::string(accepted ? "e:" : ""));
        QCOMPARE(QString::fromStdString(place.settings()), written);
    }

    // Every opening starts from 64 MB with 16 kByte clusters; a card size brings its own
    // cluster size, and the cluster sizes can be reached only after the prompt is clicked.
    void cardSize_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("cluster");
        QTest::newRow("confirmed at once") << "" << 63318128 << 16384;
        QTest::newRow("8 MB") << "Option1_0" << 6676592 << 8192;
        QTest::newRow("256 MB, 32 kByte clusters")
            << "Option1_5,Label1,option_ClusterGroesse_4" << 251910000 << 32768;
        QTest::newRow("a card size again resets the cluster size")
            << "Option1_5,Label1,option_ClusterGroesse_4,Option1_6" << 505910000 << 16384;
    }
    void cardSize() {
        QFETCH(QString, clicks);
        QFETCH(int, capacity);
        QFETCH(int, cluster);
        ProgramPlace place;
        ui::SdGroesse earlier(place.localisation);
        earlier.show();
        QTest::mouseClick(child(earlier, "Option1_1"), Qt::LeftButton);
        ui::SdGroesse dialog(place.localisation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const QString& name : clicks.split(u',', Qt::SkipEmptyParts)) {
            QWidget* target = child(dialog, qPrintable(name));
            QVERIFY2(dialog.rect().contains(target->mapTo(&dialog, target->rect().center())),
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
