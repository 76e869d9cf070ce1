// The about window (also the start-up's splash), the help viewer with its files, and
// the web page.
#include "DialogTestSupport.h"

#include "platform/Path.h"
#include "ui/dialogs/Help.h"
#include "ui/dialogs/Infofenster.h"
#include "ui/dialogs/WebPage.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <memory>

using namespace lw;
using namespace lw::test;
using lw::ui::HelpViewer;
using lw::ui::Infofenster;

// Receives the addresses the program asks the system to open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

namespace {

void touch(const QString& path, const QByteArray& content = "<html><body><h1>Test</h1></body></html>") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString sourceFile(const char* relative) {
    return QDir(QString::fromLatin1(LIEDWERK_SOURCE_DIR)).filePath(QString::fromLatin1(relative));
}

} // namespace

class InfoHelpTest : public QObject {
    Q_OBJECT

private slots:
    // --- About window ---------------------------------------------------------------

    void version_label_follows_the_language_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("version");
        QTest::newRow("English: no blank after the colon")
            << "2" << QStringLiteral("Version:") + QStringLiteral(LIEDWERK_VERSION);
        QTest::newRow("German: a blank after the colon")
            << "1" << QStringLiteral("Version: ") + QStringLiteral(LIEDWERK_VERSION);
    }

    void version_label_follows_the_language() {
        QFETCH(QString, language);
        QFETCH(QString, version);
        ProgramPlace place;
        place.writeSettings(settingsLine(language.toStdString(), ""));
        auto localisation = place.localisation();
        Infofenster about(*localisation, true);
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lbl_Version"))->text(), version);
    }

    // At start-up the about window closes itself after two seconds (or earlier by its close
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
        Infofenster about(*localisation, startupDone);
        QSignalSpy due(&about, &Infofenster::mainWindowDue);
        about.show();
        if (closedEarly)
            about.close();
        QTest::qWait(2300);
        QCOMPARE(about.isVisible(), startupDone);
        QCOMPARE(due.count(), startupDone ? 0 : 1);
    }

    void internet_label_opens_the_web_page() {
        UrlCatcher catcher;
        const QString scheme = QUrl(ui::webPageAddress()).scheme();
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        ProgramPlace place;
        auto localisation = place.localisation();
        Infofenster about(*localisation, true);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* internet = about.findChild<QLabel*>(QStringLiteral("lblInternet"));
        QVERIFY(internet && internet->isVisible());
        QTest::mouseClick(internet, Qt::LeftButton, {}, QPoint(6, internet->height() / 2));
        QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(ui::webPageAddress())});
    }

    // --- Help files -----------------------------------------------------------------

    // The Help item opens the viewer on the language's file; a file that is missing is named
    // there with its whole path. Without a language that has a help file nothing opens.
    void help_menu_opens_the_language_file_data() {
        QTest::addColumn<QString>("languageId");
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << "1"
                                << "Hilfe.html";
        QTest::newRow("French") << "3"
                                << "Aide.html";
        QTest::newRow("read as a number") << " 2.0"
                                          << "Help.html";
        QTest::newRow("none chosen") << "0"
                                     << "";
    }

    void help_menu_opens_the_language_file() {
        QFETCH(QString, languageId);
        QFETCH(QString, file);
        ProgramPlace place;
        auto localisation = place.localisation();
        localisation->settings().languageId = languageId.toStdString();
        struct Folder : ProgramFolder {
            std::filesystem::path where;
            std::filesystem::path path() override { return where; }
        } folder;
        folder.where = place.folder() / "empty";
        std::unique_ptr<HelpViewer> viewer(ui::openHelp(*localisation, folder));
        QCOMPARE(viewer != nullptr, !file.isEmpty());
        if (viewer)
            QVERIFY(viewer->browser()->toPlainText().contains(
                QDir::toNativeSeparators(place.folderText() + QStringLiteral("/empty/") + file)));
    }

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
        for (const QString& found : {share, program}) { // missing: the program folder's path
            touch(found + u'/' + name);
            QCOMPARE(ui::locateHelpFile(name, folders), QDir::toNativeSeparators(found + u'/' + name));
        }
    }

    // Both help files open in the viewer, have no outside resources, and every link
    // inside them leads to an anchor that exists. Their shaded boxes set their own text
    // colour, so that a dark desktop's light text does not vanish on them.
    void shipped_help_files_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << sourceFile("docs/help/Hilfe.html") << "de";
        QTest::newRow("English") << sourceFile("docs/help/Help.html") << "en";
    }

    void shipped_help_files() {
        QFETCH(QString, file);
        QFETCH(QString, language);
        QFile source(file);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(source.readAll());
        QVERIFY(html.contains(QStringLiteral("lang=\"") + language + QLatin1Char('"')));
        QVERIFY(!html.contains(QRegularExpression(QStringLiteral("(src|href)=\"(https?:|//)"))));
        QVERIFY(!html.contains(QRegularExpression(QStringLiteral("<(img|script|link)\\b"))));
        const QRegularExpression shaded(QStringLiteral("\\{[^}]*background-color[^}]*\\}"));
        for (auto it = shaded.globalMatch(html); it.hasNext();) {
            const QString rule = it.next().captured(0);
            QVERIFY2(rule.contains(QStringLiteral(" color:")), qPrintable(rule));
        }

        QSet<QString> anchors;
        const QRegularExpression ids(QStringLiteral("\\bid=\"([^\"]+)\""));
        for (auto it = ids.globalMatch(html); it.hasNext();)
            anchors.insert(it.next().captured(1));
        const QRegularExpression links(QStringLiteral("href=\"#([^\"]+)\""));
        int linkCount = 0;
        for (auto it = links.globalMatch(html); it.hasNext(); ++linkCount) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable(target));
        }
        QVERIFY(linkCount > 0);
        HelpViewer viewer(*ProgramPlace().localisation());
        QVERIFY(viewer.showFile(file));
    }
};

QTEST_MAIN(InfoHelpTest)
#include "tst_infohelp.moc"
