// The transfer from the window, as a person runs it: the set-up dialogs, the question
// before a card loses its songs, the busy window, cancel and the close box, an abort, and
// the files that come out, compared with what liedwerk-cli writes for the same list.
#include "UiTestSupport.h"

#include "card/CardCheck.h"
#include "support/CliRunner.h"

#include <QRadioButton>

#include <fstream>
#include <iterator>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            out[fs::relative(e.path(), root).generic_string()] = {std::istreambuf_iterator<char>(in), {}};
        }
    return out;
}

void runCli(const std::vector<std::string>& args) {
    QCOMPARE(runCliInProcess(args).status, 0);
}

// The set-up dialogs' answers: the card reader (the only drive; or its cancel button), or
// a restore file for the card size offered.
void chooseOutput(DialogScript& script, bool card, bool readerCancelled = false) {
    script.actions[QStringLiteral("Transfermode")] = [card](QDialog& d) {
        click(d, card ? "but_SD_Reader" : "but_Erstelle_Imagedate");
    };
    script.actions[QStringLiteral("Select_Cardreader")] = [readerCancelled](QDialog& d) {
        emit child<QComboBox>(d, "Drive1")->currentIndexChanged(0); // a selection of the drive shown
        click(d, readerCancelled ? "but_Abbruch" : "but_Start");
    };
    script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) { click(d, "but_OK"); };
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fx;
    fs::path m_card;
    Hauptform& w() { return *m_fx->window; }
    void startTransfer() { child<QPushButton>(w(), "but_Transfer")->click(); }
    bool ready() {
        return child(w(), "but_Abbruch")->isHidden() && child(w(), "but_Transfer")->isEnabled() &&
               child(w(), "ListView1")->isEnabled() && child(w(), "m_Programm")->isEnabled() &&
               QApplication::overrideCursor() == nullptr;
    }

private slots:
    void init() {
        m_fx = std::make_unique<WindowFixture>();
        m_card = m_fx->place.path() / "card";
        fs::create_directories(m_card / "PRIVATE" / "OLD");
        m_fx->drives.drives = {{pathToUtf8(m_card), m_card, DriveType::Removable, "SDCARD"}};
        m_fx->newWindow();
    }
    void cleanup() { m_fx.reset(); }

    // The restore file in the program's folder, named by the closing message, or the card (an
    // old PRIVATE without songs replaced without a question), byte for byte what the command
    // line writes. A card with songs is replaced only after a question that names them, asked
    // before anything is touched; a cancelled card-reader dialog (Cancel here) touches nothing.
    void runWritesWhatTheCommandLineWrites_data() {
        QTest::addColumn<bool>("card");
        QTest::addColumn<bool>("songsOnCard");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("restore file") << false << false << QMessageBox::Yes;
        QTest::newRow("card, songs one after the other") << true << false << QMessageBox::Yes;
        QTest::newRow("card with songs, replaced") << true << true << QMessageBox::Yes;
        QTest::newRow("card with songs, kept") << true << true << QMessageBox::No;
        QTest::newRow("card reader cancelled") << true << true << QMessageBox::Cancel;
    }
    void runWritesWhatTheCommandLineWrites() {
        QFETCH(bool, card);
        QFETCH(bool, songsOnCard);
        QFETCH(QMessageBox::StandardButton, answer);
        if (songsOnCard)
            runCli({"transfer", pathToUtf8(samples("kn5000")), "--card", pathToUtf8(m_card), "--allow-fixed",
                    "--yes"});
        const CardCheck before = checkCard(realFileSystem(), m_card);
        const auto filesBefore = treeOf(m_card);
        QVERIFY(openDirectory(w(), samples("kn2000")));
        m_fx->boxes.shown.clear();
        child<QRadioButton>(w(), "Option_Verzeichnisstruktur_1")->click(); // songs one after the other
        DialogScript script;
        chooseOutput(script, card, answer == QMessageBox::Cancel);
        m_fx->boxes.answers = {QMessageBox::Ok, answer};
        startTransfer();
        QVERIFY(ready());
        // The notice before, the card question if asked, and the closing message if written.
        const bool asked = songsOnCard && answer != QMessageBox::Cancel;
        QCOMPARE(m_fx->boxes.shown.size(), 2 + int(asked) - int(answer != QMessageBox::Yes));
        const QString question =
            QStringLiteral("%1 songs in %2 folders").arg(before.songCount()).arg(before.folderCount());
        QCOMPARE(asked && m_fx->boxes.shown.at(1).text.contains(question), asked);
        if (answer != QMessageBox::Yes) {
            QVERIFY(treeOf(m_card) == filesBefore);
            return;
        }
        const fs::path cli = m_fx->place.path() / "cli";
        fs::create_directories(cli);
        const std::string backup = pathToUtf8(samples("kn2000"));
        if (card)
            runCli(
                {"transfer", backup, "--layout", "sequential", "--card", pathToUtf8(cli), "--allow-fixed"});
        else
            runCli({"transfer", backup, "--layout", "sequential", "--restore-file",
                    pathToUtf8(cli / "Restore.sdb")});
        QVERIFY(treeOf(card ? m_card : m_fx->place.path() / "RestorSDB") == treeOf(cli));
        const fs::path restoreFile = m_fx->place.path() / "RestorSDB" / "Restore.sdb";
        QVERIFY(card || m_fx->boxes.shown.last().text.contains(shownPath(restoreFile)));
    }

    // Cancel, or the close box, while the fifth song is written: the busy window refuses
    // everything else, the cancel question comes, and the run stops after that song with a
    // complete restore file; the close box then closes the window.
    void cancelAfterTheFifthSong_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("cancel button") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAfterTheFifthSong() {
        QFETCH(bool, closeBox);
        QVERIFY(openDirectory(w(), samples("kn6000")));
        DialogScript script;
        chooseOutput(script, false);
        bool busyChecked = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (busyChecked || w().panelText(8) != QStringLiteral("5"))
                return;
            busyChecked = true;
            QVERIFY(!child(w(), "but_Transfer")->isEnabled() && !child(w(), "ListView1")->isEnabled() &&
                    !child(w(), "fpBtnAllOn_Off")->isEnabled() && !child(w(), "m_Ausfuehren")->isEnabled());
            if (closeBox)
                QVERIFY(!w().close()); // the run goes on until the cancel question is answered
            else
                child<QPushButton>(w(), "but_Abbruch")->click();
        });
        watch.start(0);
        startTransfer();
        QVERIFY(busyChecked);
        QCOMPARE(m_fx->boxes.shown.at(2).buttons, QMessageBox::Yes | QMessageBox::No); // the cancel question
        QCOMPARE(m_fx->boxes.shown.size(), 4); // then the closing message
        QCOMPARE(w().panelText(8), QStringLiteral("5"));
        QCOMPARE(w().panelText(4), QStringLiteral("5")); // ten marked, five written
        QVERIFY(fs::exists(m_fx->place.path() / "RestorSDB" / "Restore.sdb"));
        QCOMPARE(w().isVisible(), !closeBox);
    }

    // An abort restores the ready window first, then shows its error report.
    void abortShowsItsReportOverAReadyWindow() {
        m_fx->fs.failOn(FsOp::CreateDirectory, "RestorSDB", ErrorCode::PermissionDenied, "Permission denied");
        QVERIFY(openDirectory(w(), samples("kn5000")));
        DialogScript script;
        chooseOutput(script, false);
        bool readyBehindReport = false;
        m_fx->boxes.onShow = [&](const ShownMessage& shown) {
            if (shown.text.contains(QStringLiteral("RestorSDB")))
                readyBehindReport = ready();
        };
        startTransfer();
        QCOMPARE(m_fx->boxes.shown.size(), 3); // the load question, the notice before, the error report
        QVERIFY(readyBehindReport);
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
