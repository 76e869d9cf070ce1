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
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <optional>

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
        QCOMPARE(about.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lbl_Version"))->text(), version);
        QVERIFY(about.findChild<QLabel*>(QStringLiteral("Picture1")));
    }

    void splash_closes_itself_and_hands_on_once() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Infofenster splash(*localisation, false);
        QSignalSpy due(&splash, &Infofenster::mainWindowDue);
        splash.show();
        QVERIFY(splash.timer()->isActive());
        QCOMPARE(splash.timer()->interval(), 2000);
        QTest::qWait(1000);
        QVERIFY(splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 3000);
        QCOMPARE(due.count(), 1);
    }

    void splash_closed_early_still_hands_on() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Infofenster splash(*localisation, false);
        QSignalSpy due(&splash, &Infofenster::mainWindowDue);
        splash.show();
        splash.close();
        QCOMPARE(due.count(), 1);
        QTest::qWait(2300); // the stopped timer does not fire a second hand-over
        QCOMPARE(due.count(), 1);
    }

    void from_the_menu_it_stays() {
        ProgramPlace place;
        auto localisation = place.localisation();
        Infofenster about(*localisation, true);
        QSignalSpy due(&about, &Infofenster::mainWindowDue);
        about.show();
        QVERIFY(!about.timer()->isActive());
        QTest::qWait(2300);
        QVERIFY(about.isVisible());
        about.close();
        QCOMPARE(due.count(), 0);
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

    void help_file_per_language_data() {
        QTest::addColumn<QString>("languageId");
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << "1"
                                << "Hilfe.html";
        QTest::newRow("English") << "2"
                                 << "Help.html";
        QTest::newRow("French") << "3"
                                << "Aide.html";
        QTest::newRow("Italian has none") << "4"
                                          << "";
        QTest::newRow("none chosen") << "0"
                                     << "";
        QTest::newRow("read as a number") << " 2.0"
                                          << "Help.html";
        QTest::newRow("not a number") << "en"
                                      << "";
    }

    void help_file_per_language() {
        QFETCH(QString, languageId);
        QFETCH(QString, file);
        const std::optional<QString> name = ui::helpFileName(languageId.toStdString());
        QCOMPARE(name.value_or(QString()), file);
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
        QCOMPARE(ui::locateHelpFile(name, folders),
                 QDir::toNativeSeparators(program + QStringLiteral("/Help.html")));
        touch(share + QStringLiteral("/Help.html"));
        QCOMPARE(ui::locateHelpFile(name, folders),
                 QDir::toNativeSeparators(share + QStringLiteral("/Help.html")));
        touch(program + QStringLiteral("/Help.html"));
        QCOMPARE(ui::locateHelpFile(name, folders),
                 QDir::toNativeSeparators(program + QStringLiteral("/Help.html")));
    }

    void missing_help_file_is_reported_by_the_viewer_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("words");
        QTest::newRow("German") << "1"
                                << "Die Hilfedatei wurde nicht gefunden";
        QTest::newRow("English") << "2"
                                 << "The help file was not found";
    }

    void missing_help_file_is_reported_by_the_viewer() {
        QFETCH(QString, language);
        QFETCH(QString, words);
        ProgramPlace place;
        place.writeSettings(settingsLine(language.toStdString(), ""));
        auto localisation = place.localisation();
        HelpViewer viewer(*localisation);
        const QString missing =
            QDir::toNativeSeparators(place.folderText() + QStringLiteral("/Hilfe & Help.html"));
        QVERIFY(!viewer.showFile(missing));
        const QString shown = viewer.browser()->toPlainText();
        QVERIFY2(shown.contains(missing), qPrintable(shown));
        QVERIFY2(shown.contains(words), qPrintable(shown));
    }

    void help_menu_does_nothing_without_a_help_language() {
        ProgramPlace place;
        auto localisation = place.localisation();
        localisation->settings().languageId = "0";
        struct Folder : ProgramFolder {
            std::filesystem::path where;
            std::filesystem::path path() override { return where; }
        } folder;
        folder.where = place.folder();
        QCOMPARE(ui::openHelp(*localisation, folder), nullptr);
        localisation->settings().languageId = "3"; // no Aide.html anywhere: the viewer says so
        HelpViewer* viewer = ui::openHelp(*localisation, folder);
        QVERIFY(viewer);
        QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Aide.html")));
        viewer->close();
    }

    // Both help files open in the viewer, have no outside resources, and every link
    // inside them leads to an anchor that exists.
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

        ProgramPlace place;
        auto localisation = place.localisation();
        HelpViewer viewer(*localisation);
        QVERIFY(viewer.showFile(file));
        QVERIFY(viewer.browser()->toPlainText().contains(QStringLiteral("Liedwerk")));
        QVERIFY(!viewer.browser()->document()->metaInformation(QTextDocument::DocumentTitle).isEmpty());
    }
};

QTEST_MAIN(InfoHelpTest)
#include "tst_infohelp.moc"
