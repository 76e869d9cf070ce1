// The about window as the start-up's splash, and where the help files are looked for.
#include "DialogTestSupport.h"

#include "platform/Path.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <memory>

using namespace lw;
using namespace lw::test;

class InfoHelpTest : public QObject {
    Q_OBJECT

private slots:
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
        if (closedEarly)
            about.close();
        QTest::qWait(150);
        QCOMPARE(about.isVisible(), startupDone);
        QCOMPARE(due.count(), startupDone ? 0 : 1);
    }

    // The program folder first, then beside the executable, then ../share/liedwerk; when
    // none holds the file, the program folder's path, which the viewer names.
    void helpIsLookedForInOrder() {
        ProgramPlace place;
        const QString root = QString::fromStdString(pathToUtf8(place.path()));
        const QStringList folders = {root + QStringLiteral("/home"), root + QStringLiteral("/usr/bin"),
                                     root + QStringLiteral("/usr/share/liedwerk")};
        for (const QString& folder : folders)
            QVERIFY(QDir().mkpath(folder));
        QCOMPARE(
            ui::helpFolders(pathFromUtf8(folders[0].toStdString()), pathFromUtf8(folders[1].toStdString())),
            folders);
        const QString name = QStringLiteral("Hilfe.html");
        QCOMPARE(ui::locateHelpFile(name, folders), QDir::toNativeSeparators(folders[0] + u'/' + name));
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
};

QTEST_MAIN(InfoHelpTest)
#include "tst_infohelp.moc"
