// The transfer from the window, as a person runs it: the set-up dialogs, the question before
// a card loses its songs, the busy window, cancel and the close box, an abort, and the files
// that come out, compared with what liedwerk-cli writes for the same list.
#include "UiTestSupport.h"

#include "support/CliRunner.h"

#include <QRadioButton>

using namespace lw::ui::test;
namespace fs = std::filesystem;

namespace {

// The files below the folder and their bytes; none when it is missing.
std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> out;
    std::error_code missing;
    for (const auto& e : fs::recursive_directory_iterator(root, missing))
        if (e.is_regular_file())
            out[fs::relative(e.path(), root).generic_string()] = readText(e.path());
    return out;
}

bool cli(const std::vector<std::string>& args) {
    return runCliInProcess(args).status == 0;
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fx;
    fs::path m_card;
    Hauptform& w() { return *m_fx->window; }
    bool ready() {
        return child(w(), "but_Abbruch")->isHidden() && child(w(), "but_Transfer")->isEnabled() &&
               child(w(), "ListView1")->isEnabled() && child(w(), "m_Programm")->isEnabled() &&
               !QApplication::overrideCursor();
    }
    // Runs the transfer to the card reader (the only drive, left by `readerButton`), or with
    // the other dialogs closed to a restore file for the card size offered, 64 MB.
    void transfer(bool card, const char* readerButton = "but_Start") {
        DialogScript script;
        if (card)
            script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_SD_Reader"); };
        script.actions[QStringLiteral("Select_Cardreader")] = [=](QDialog& d) {
            emit child<QComboBox>(d, "Drive1")->currentIndexChanged(0); // a selection of the drive shown
            click(d, readerButton);
        };
        child<QPushButton>(w(), "but_Transfer")->click();
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
    // old PRIVATE without songs replaced unasked), byte for byte what the command line
    // writes. A card with songs is replaced only after a question that names them, asked
    // before anything is touched; a cancelled card-reader dialog touches nothing. An abort
    // (the restore folder refused) gives the window back ready before its report.
    void runWritesWhatTheCommandLineWrites_data() {
        QTest::addColumn<bool>("card");
        QTest::addColumn<bool>("songsOnCard");
        QTest::addColumn<QMessageBox::StandardButton>("answer"); // the card question's; Cancel, Abort
        QTest::addColumn<int>("messages"); // with the load question and the notice before
        QTest::newRow("restore file") << false << false << QMessageBox::Yes << 3;
        QTest::newRow("card, songs one after the other") << true << false << QMessageBox::Yes << 3;
        QTest::newRow("card with songs, replaced") << true << true << QMessageBox::Yes << 4;
        QTest::newRow("card with songs, kept") << true << true << QMessageBox::No << 3;
        QTest::newRow("card reader cancelled") << true << true << QMessageBox::Cancel << 2;
        QTest::newRow("restore folder refused") << false << false << QMessageBox::Abort << 3;
    }
    void runWritesWhatTheCommandLineWrites() {
        QFETCH(bool, card);
        QFETCH(bool, songsOnCard);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, messages);
        const fs::path out = m_fx->place.path() / "cli",
                       restoreFile = m_fx->place.path() / "RestorSDB" / "Restore.sdb";
        if (songsOnCard)
            QVERIFY(cli({"transfer", pathToUtf8(samples("kn5000")), "--card", pathToUtf8(m_card),
                         "--allow-fixed", "--yes"}));
        if (answer == QMessageBox::Abort)
            m_fx->fs.failOn(FsOp::CreateDirectory, "RestorSDB", ErrorCode::PermissionDenied,
                            "Permission denied");
        const auto written = [&] { return treeOf(card ? m_card : restoreFile.parent_path()); };
        const auto filesBefore = written();
        QVERIFY(openDirectory(w(), samples("kn2000")));
        child<QRadioButton>(w(), "Option_Verzeichnisstruktur_1")->click(); // songs one after the other
        m_fx->boxes.answers = {QMessageBox::Ok, answer};
        bool readyBehindLast = false;
        m_fx->boxes.onShow = [&](const ShownMessage&) { readyBehindLast = ready(); };
        transfer(card, answer == QMessageBox::Cancel ? "but_Abbruch" : "but_Start");
        QVERIFY(ready() && (answer != QMessageBox::Abort || readyBehindLast));
        const auto& shown = m_fx->boxes.shown;
        QCOMPARE(shown.size(), messages);
        const bool asked = songsOnCard && answer != QMessageBox::Cancel; // naming the card
        QCOMPARE(asked && shown.at(2).icon == QMessageBox::Question &&
                     shown.at(2).text.contains(shownPath(m_card)),
                 asked);
        fs::create_directories(out);
        if (answer == QMessageBox::Yes)
            QVERIFY(cli({"transfer", pathToUtf8(samples("kn2000")), "--layout", "sequential",
                         card ? "--card" : "--restore-file", pathToUtf8(card ? out : out / "Restore.sdb"),
                         card ? "--allow-fixed" : "--card-size", card ? "--yes" : "64"}));
        QVERIFY(written() == (answer == QMessageBox::Yes ? treeOf(out) : filesBefore));
        const QString named =
            answer == QMessageBox::Yes ? shownPath(restoreFile) : QStringLiteral("RestorSDB");
        QVERIFY(card || shown.last().text.contains(named));
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
        bool busyChecked = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (busyChecked || w().panelText(8) != QStringLiteral("5"))
                return;
            busyChecked = true;
            QVERIFY(!child(w(), "but_Transfer")->isEnabled() && !child(w(), "ListView1")->isEnabled() &&
                    !child(w(), "fpBtnAllOn_Off")->isEnabled() && !child(w(), "m_Ausfuehren")->isEnabled());
            // The close box is refused: the run goes on until the cancel question is answered.
            QVERIFY(closeBox ? !w().close() : QMetaObject::invokeMethod(child(w(), "but_Abbruch"), "click"));
        });
        watch.start(0);
        transfer(false);
        QVERIFY(busyChecked);
        // The cancel question, then the closing message; ten songs marked, five written.
        QVERIFY(m_fx->boxes.shown.size() == 4 && m_fx->boxes.shown.at(2).icon == QMessageBox::Question);
        QVERIFY(w().panelText(4) == QStringLiteral("5") &&
                fs::exists(m_fx->place.path() / "RestorSDB" / "Restore.sdb"));
        QCOMPARE(w().isVisible(), !closeBox);
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
