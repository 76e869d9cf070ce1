// The transfer from the window, as a person runs it: the transfer button, the set-up
// dialogs, the busy window, cancel and the close box, an abort, and the files that come
// out, compared with what liedwerk-cli writes for the same list. The question about a card
// that holds songs is in tst_cardpreview.
#include "UiTestSupport.h"
#include "cli/Cli.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "ui/Hauptform.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;
namespace fs = std::filesystem;

namespace {

template <class T = QWidget>
T* child(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            out[fs::relative(e.path(), root).generic_string()] = {std::istreambuf_iterator<char>(in), {}};
        }
    return out;
}

// liedwerk-cli in this process; its output, or "failed".
std::string runCli(const std::vector<std::string>& args) {
    const lw::test::CliRun run = lw::test::runCliInProcess(args);
    return run.status == 0 ? run.out : "failed: " + run.err;
}

// The set-up dialogs' answers: restore file (with a card size button, or none), or card.
void restoreFile(DialogScript& script, const char* cardSize = nullptr) {
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_Erstelle_Imagedate"); };
    script.actions[QStringLiteral("SD_Groesse")] = [cardSize](QDialog& d) {
        if (cardSize)
            click(d, cardSize);
        click(d, "but_OK");
    };
}

void cardReader(DialogScript& script, int drive) {
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_SD_Reader"); };
    script.actions[QStringLiteral("Select_Cardreader")] = [drive](QDialog& d) {
        auto* drives = child<QComboBox>(d, "Drive1");
        drives->setCurrentIndex(drive);
        emit drives->currentIndexChanged(drive); // a selection, also of the drive shown
        click(d, "but_Start");
    };
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void restoreFileRunWritesWhatTheCommandLineWrites();
    void cardRunWritesWhatTheCommandLineWrites();
    void cancelAfterTheFifthSong_data();
    void cancelAfterTheFifthSong();
    void abortShowsItsReportOverAReadyWindow();
    void nothingHappensWithoutMarksOrCardReader();

private:
    void load(const fs::path& dir) {
        QVERIFY(openDirectory(*m_w, dir));
        m_fx->boxes.shown.clear();
    }
    void startTransfer() { child<QPushButton>(*m_w, "but_Transfer")->click(); }
    bool ready() {
        return child(*m_w, "but_Abbruch")->isHidden() && child(*m_w, "but_Transfer")->isEnabled() &&
               child(*m_w, "ListView1")->isEnabled() && child(*m_w, "m_Programm")->isEnabled() &&
               QApplication::overrideCursor() == nullptr;
    }

    std::unique_ptr<WindowFixture> m_fx;
    std::unique_ptr<Hauptform> m_w;
    fs::path m_temp;
};

void TestTransfer::init() {
    m_fx = std::make_unique<WindowFixture>();
    m_temp = pathFromUtf8(m_fx->temp.path().toStdString());
    m_w = std::make_unique<Hauptform>(m_fx->context);
    m_w->show();
}

void TestTransfer::cleanup() {
    m_w.reset();
    m_fx.reset();
}

void TestTransfer::restoreFileRunWritesWhatTheCommandLineWrites() {
    load(sampleDir("kn5000"));
    DialogScript script;
    restoreFile(script, "Option1_4"); // 128 MB
    startTransfer();
    QCOMPARE(script.seen, (QStringList{QStringLiteral("Transfermode"), QStringLiteral("SD_Groesse")}));
    const fs::path expected = m_temp / "cli.sdb";
    QCOMPARE(runCli({"transfer", pathToUtf8(sampleDir("kn5000")), "--restore-file", pathToUtf8(expected),
                     "--card-size", "128"})
                 .rfind("failed", 0),
             std::string::npos);
    QVERIFY(treeOf(m_temp / "RestorSDB") ==
            (std::map<std::string, std::string>{{"Restore.sdb", treeOf(m_temp).at("cli.sdb")}}));
    // The closing message names the restore file where it is; one song was not found and
    // stays marked; the window is ready again, its progress bar still shown.
    QVERIFY(m_fx->boxes.shown.last().text.contains(
        QDir::toNativeSeparators(m_fx->temp.path() + QStringLiteral("/RestorSDB/Restore.sdb"))));
    QCOMPARE(m_w->panelText(4), QStringLiteral("1"));
    QCOMPARE(m_w->panelText(8), QStringLiteral("7"));
    QVERIFY(ready());
    QVERIFY(!child(*m_w, "ProgressBar1")->isHidden());
}

void TestTransfer::cardRunWritesWhatTheCommandLineWrites() {
    const fs::path card = m_temp / "card";
    fs::create_directories(card / "PRIVATE" / "OLD");
    m_fx->drives.drives = {{"/", "/", DriveType::Fixed, "root"},
                           {pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
    load(sampleDir("kn2000"));
    child<QRadioButton>(*m_w, "Option_Verzeichnisstruktur_1")->click();
    DialogScript script;
    cardReader(script, 1);
    startTransfer();
    QCOMPARE(m_fx->boxes.shown.size(), 2); // message 44 and the closing message: no card question
    const fs::path expected = m_temp / "cli-card";
    fs::create_directories(expected);
    QCOMPARE(runCli({"transfer", pathToUtf8(sampleDir("kn2000")), "--card", pathToUtf8(expected), "--layout",
                     "sequential", "--allow-fixed", "--yes"})
                 .rfind("failed", 0),
             std::string::npos);
    QVERIFY(treeOf(card) == treeOf(expected));
    QVERIFY(fs::exists(m_temp / "Liedwerk.ini")); // the accepted drive was saved
}

void TestTransfer::cancelAfterTheFifthSong_data() {
    QTest::addColumn<bool>("closeBox"); // the window's close box instead of the cancel button
    QTest::newRow("cancel button") << false;
    QTest::newRow("close box") << true;
}

void TestTransfer::cancelAfterTheFifthSong() {
    QFETCH(bool, closeBox);
    load(sampleDir("kn6000"));
    DialogScript script;
    restoreFile(script);
    bool busyChecked = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (busyChecked || m_w->panelText(8) != QStringLiteral("5"))
            return;
        busyChecked = true;
        // The busy window: nothing that could start a second run or change the list works.
        QVERIFY(!child(*m_w, "but_Transfer")->isEnabled() && !child(*m_w, "ListView1")->isEnabled() &&
                !child(*m_w, "fpBtnAllOn_Off")->isEnabled() && !child(*m_w, "m_Ausfuehren")->isEnabled());
        if (closeBox)
            QVERIFY(!m_w->close()); // the run goes on until the cancel question is answered
        else
            child<QPushButton>(*m_w, "but_Abbruch")->click();
    });
    watch.start(0);
    startTransfer();
    watch.stop();
    QVERIFY(busyChecked);
    QCOMPARE(m_fx->boxes.shown.at(1).buttons, QMessageBox::Yes | QMessageBox::No); // the cancel question
    // The run finished with its information file (five songs in the restore file) and its
    // closing message, and only then did the window close.
    const std::string inspected =
        runCli({"inspect", pathToUtf8(m_temp / "RestorSDB" / "Restore.sdb"), "--json"});
    std::size_t songs = 0;
    for (auto at = inspected.find("\"slot\""); at != std::string::npos;
         at = inspected.find("\"slot\"", at + 1))
        ++songs;
    QCOMPARE(songs, std::size_t{5});
    QCOMPARE(m_fx->boxes.shown.size(), 3);
    QCOMPARE(m_w->isVisible(), !closeBox);
    QCOMPARE(m_w->panelText(4), QStringLiteral("5")); // ten marked, five written
}

void TestTransfer::abortShowsItsReportOverAReadyWindow() {
    m_fx->fs.failOn(lw::test::FsOp::CreateDirectory, "RestorSDB", ErrorCode::PermissionDenied,
                    "Permission denied");
    load(sampleDir("kn5000"));
    DialogScript script;
    restoreFile(script);
    bool readyBehindReport = false;
    m_fx->boxes.onShow = [&](const ShownMessage& shown) {
        if (shown.text.contains(QStringLiteral("RestorSDB")))
            readyBehindReport = ready();
    };
    startTransfer();
    QCOMPARE(m_fx->boxes.shown.size(), 2); // message 44, then the error report
    QVERIFY(readyBehindReport);
}

void TestTransfer::nothingHappensWithoutMarksOrCardReader() {
    const fs::path card = m_temp / "card";
    fs::create_directories(card);
    m_fx->drives.drives = {{pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
    load(sampleDir("kn3000"));
    // No marked song: no message, no dialog.
    child<QToolButton>(*m_w, "fpBtnAllOn_Off")->click();
    DialogScript script;
    startTransfer();
    QTest::qWait(30);
    QVERIFY(m_fx->boxes.shown.isEmpty() && script.seen.isEmpty());
    // The card-reader dialog cancelled: the window never turns busy, nothing is written.
    child<QToolButton>(*m_w, "fpBtnAllOn_Off")->click();
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_SD_Reader"); };
    script.actions[QStringLiteral("Select_Cardreader")] = [](QDialog& d) { click(d, "but_Abbruch"); };
    startTransfer();
    QCOMPARE(m_fx->boxes.shown.size(), 1); // message 44 only
    QVERIFY(fs::is_empty(card) && !fs::exists(m_temp / "RestorSDB"));
    QVERIFY(child(*m_w, "ProgressBar1")->isHidden());
}

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
