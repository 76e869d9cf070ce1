// The about window as the start-up's splash, and the help files: where they are looked
// for, a missing one, and the shipped ones.
#include "DialogTestSupport.h"

#include "platform/Path.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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
        auto localisation = place.localisation();
        ui::Infofenster about(*localisation, startupDone);
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
    // none holds the file, the program folder's path.
    void help_is_looked_for_in_order() {
        QTemporaryDir root;
        const QString program = root.filePath(QStringLiteral("home/liedwerk"));
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString share = root.filePath(QStringLiteral("usr/share/liedwerk"));
        for (const QString& folder : {program, bin, share})
            QVERIFY(QDir().mkpath(folder));
        const QStringList folders =
            ui::helpFolders(pathFromUtf8(program.toStdString()), pathFromUtf8(bin.toStdString()));
        QCOMPARE(folders, (QStringList{program, bin, share}));
        const QString name = QStringLiteral("Help.html");
        QCOMPARE(ui::locateHelpFile(name, folders), QDir::toNativeSeparators(program + u'/' + name));
        for (const QString& found : {share, bin, program}) {
            QVERIFY(QFile(found + u'/' + name).open(QIODevice::WriteOnly));
            QCOMPARE(ui::locateHelpFile(name, folders), QDir::toNativeSeparators(found + u'/' + name));
        }
    }

    // A missing help file is named in the viewer with its whole path; without a language
    // that has a help file nothing opens.
    void missing_help_file_is_reported() {
        ProgramPlace place;
        auto localisation = place.localisation();
        QVERIFY(ui::openHelp(*localisation, place) == nullptr); // no language chosen yet
        localisation->settings().languageId = "1";
        std::unique_ptr<ui::HelpViewer> viewer(ui::openHelp(*localisation, place));
        QVERIFY(viewer);
        const QString expected = QString::fromStdString(pathToUtf8(place.path() / "Hilfe.html"));
        QVERIFY2(viewer->browser()->toPlainText().contains(QDir::toNativeSeparators(expected)),
                 qPrintable(viewer->browser()->toPlainText()));
    }

    // Both shipped help files open, and every link inside them leads to an anchor that exists.
    void shipped_help_files_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << QStringLiteral(LIEDWERK_SOURCE_DIR "/docs/help/Hilfe.html");
        QTest::newRow("English") << QStringLiteral(LIEDWERK_SOURCE_DIR "/docs/help/Help.html");
    }

    void shipped_help_files() {
        QFETCH(QString, file);
        QFile source(file);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(source.readAll());
        const QRegularExpression links(QStringLiteral("href=\"#([^\"]+)\""));
        int linkCount = 0;
        for (auto it = links.globalMatch(html); it.hasNext(); ++linkCount) {
            const QString target = it.next().captured(1);
            QVERIFY2(html.contains(QStringLiteral("id=\"") + target + u'"'), qPrintable(target));
        }
        QVERIFY(linkCount > 0);
        ProgramPlace place;
        QVERIFY(ui::HelpViewer(*place.localisation()).showFile(file));
    }
};

QTEST_MAIN(InfoHelpTest)
#include "tst_infohelp.moc"
