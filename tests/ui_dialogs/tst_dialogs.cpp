// The window's dialogs: the language choice at start-up and from the menu, the about window as
// the splash, where help is looked for, the card reader's drive and a restore file's card size.
#include "DialogTestSupport.h"

#include "card/CardSizes.h"
#include "settings/SettingsFile.h"
#include "support/FakeDrives.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Sprachwahl.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace lw;
using namespace lw::test;

namespace {

// Shows the dialog and closes it by the button of that name, or by its close box ("close").
void closeBy(QDialog& dialog, const QString& how) {
    dialog.show();
    if (how == QStringLiteral("close"))
        dialog.close();
    else
        QTest::mouseClick(child<QAbstractButton>(dialog, qPrintable(how)), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
}

QString settingsLine(const char* language, const char* drive, const char* reserved) {
    return QString::fromStdString(formatSettings({language, drive, reserved}));
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // At start-up the language dialog closes unseen with a usable settings file, else it asks; its
    // closing settles language and settings file, and only at start-up hands on to the splash.
    void languageChoice_data() {
        QTest::addColumn<QString>("saved"); // the settings file's language; empty: no file
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("how"); // a flag button, the close box, or empty: unseen
        QTest::addColumn<int>("after");
        QTest::newRow("first start, English chosen") << QString() << false << "English" << 2;
        QTest::newRow("first start, close box: German") << QString() << false << "close" << 1;
        QTest::newRow("later start reads the file unseen") << "2" << false << "" << 2;
        QTest::newRow("a language without texts is asked again") << "3" << false << "close" << 1;
        QTest::newRow("menu, close box keeps English") << "2" << true << "close" << 2;
    }
    void languageChoice() {
        QFETCH(QString, saved);
        QFETCH(bool, fromMenu);
        QFETCH(QString, how);
        QFETCH(int, after);
        ProgramPlace place;
        const char* more = saved.isEmpty() ? "" : "e:"; // the file's other fields, kept
        const auto line = [&](int n) { return settingsLine(std::to_string(n).c_str(), more, more); };
        if (!saved.isEmpty())
            place.writeSettings(line(saved.toInt()).toStdString());
        if (fromMenu) { // the start-up before, unseen
            ui::Sprachwahl startUp(place.localisation, false);
            QVERIFY(startUp.closesUnseen());
            startUp.run();
        }
        ui::Sprachwahl dialog(place.localisation, fromMenu);
        QSignalSpy continues(&dialog, &ui::Sprachwahl::startupContinues);
        QCOMPARE(dialog.closesUnseen(), how.isEmpty());
        if (!how.isEmpty())
            QTimer::singleShot(
                0, [&] { closeBy(*qobject_cast<QDialog*>(QApplication::activeModalWidget()), how); });
        dialog.run();
        QVERIFY(place.localisation.lngId() == after &&
                QString::fromStdString(place.settings()) == line(after));
        QCOMPARE(continues.count(), fromMenu ? 0 : 1);
    }

    // At start-up the about window closes itself after its time (or earlier by its close
    // box) and hands on to the main window once; opened from the menu it stays.
    void splash_data() {
        QTest::addColumn<bool>("startupDone");
        QTest::addColumn<bool>("closedEarly");
        QTest::newRow("start-up") << false << false;
        QTest::newRow("start-up, closed early") << false << true;
        QTest::newRow("from the menu") << true << false;
    }
    void splash() {
        QFETCH(bool, startupDone);
        QFETCH(bool, closedEarly);
        ProgramPlace place;
        ui::Infofenster about(place.localisation, startupDone);
        about.timer()->setInterval(50); // its two seconds, shortened
        QSignalSpy due(&about, &ui::Infofenster::mainWindowDue);
        about.show();
        QVERIFY(!closedEarly || about.close()); // its close box before its time
        QTest::qWait(150);
        QVERIFY(about.isVisible() == startupDone && due.count() == (startupDone ? 0 : 1));
    }

    // The program folder first, then beside the executable, then ../share/liedwerk; when
    // none holds the file, the program folder's path, which the viewer names.
    void helpIsLookedForInOrder() {
        ProgramPlace place;
        const QString root = QString::fromStdString(pathToUtf8(place.path())),
                      name = QStringLiteral("Hilfe.html");
        const QStringList folders = {root + QStringLiteral("/home"), root + QStringLiteral("/usr/bin"),
                                     root + QStringLiteral("/usr/share/liedwerk")};
        for (const QString& folder : folders)
            QVERIFY(QDir().mkpath(folder));
        QCOMPARE(
            ui::helpFolders(pathFromUtf8(folders[0].toStdString()), pathFromUtf8(folders[1].toStdString())),
            folders);
        for (const QString& found : {folders[2], folders[1], folders[0]}) {
            QVERIFY(QFile(found + u'/' + name).open(QIODevice::WriteOnly));
            QCOMPARE(ui::locateHelpFile(name, folders), QDir::toNativeSeparators(found + u'/' + name));
        }
        QVERIFY(ui::openHelp(place.localisation, place) == nullptr); // no language chosen yet
        place.localisation.settings().languageId = "1";
        std::unique_ptr<ui::HelpViewer> viewer(ui::openHelp(place.localisation, place));
        QVERIFY(viewer &&
                viewer->browser()->toPlainText().contains(QDir::toNativeSeparators(root + u'/' + name)));
    }

    // The drive judged on opening (the saved one, else the system disk) and on a selection: only
    // an accepted drive enables Start and reaches the settings file; cancel empties CardDrive.
    void cardReader_data() {
        QTest::addColumn<QString>("selected"); // empty: as the dialog opens
        QTest::addColumn<bool>("accepted");    // e: is the card drive
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("settings"); // before, and after
        QTest::addColumn<QString>("written");
        const QString old = settingsLine("2", "x", "kept"), chosen = settingsLine("2", "e:", "kept");
        QTest::newRow("first use: the system disk") << "" << false << "close" << QString() << QString();
        QTest::newRow("saved reader in another form, rewritten")
            << "" << true << "but_Start" << QStringLiteral("1, E: [SDCARD] ,r\r\n")
            << settingsLine("1", "e:", "r");
        QTest::newRow("saved reader unplugged") << "" << false << "close" << old << old;
        QTest::newRow("card reader chosen") << "e: [SDCARD]" << true << "close" << old << chosen;
        QTest::newRow("chosen, then cancelled") << "e: [SDCARD]" << false << "but_Abbruch" << old << chosen;
        QTest::newRow("floppy A: is removable but refused") << "a:" << false << "close" << old << old;
    }
    void cardReader() {
        QFETCH(QString, selected);
        QFETCH(bool, accepted);
        QFETCH(QString, how);
        QFETCH(QString, settings);
        QFETCH(QString, written);
        ProgramPlace place;
        place.writeSettings(settings.toStdString());
        place.localisation.readSettingsFile();
        FakeDrives drives({{"c:", "c:\\", DriveType::Fixed, {}},
                           {"a:", "a:\\", DriveType::Removable, {}},
                           {"e:", "e:\\", DriveType::Removable, "SDCARD"}});
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
        QTest::addColumn<int>("size"); // of the card sizes offered
        QTest::addColumn<int>("cluster");
        QTest::newRow("confirmed at once") << "" << 3 << 16384;
        QTest::newRow("8 MB") << "Option1_0" << 0 << 8192;
        QTest::newRow("256 MB, 32 kByte clusters")
            << "Option1_5,Label1,option_ClusterGroesse_4" << 5 << 32768;
        QTest::newRow("a card size again resets the cluster size")
            << "Option1_5,Label1,option_ClusterGroesse_4,Option1_6" << 6 << 16384;
    }
    void cardSize() {
        QFETCH(QString, clicks);
        QFETCH(int, size);
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
        QVERIFY(dialog.cardCapacity() == kCardSizes[size].capacity && dialog.clusterSize() == cluster);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
