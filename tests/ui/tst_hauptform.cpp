// The main window driven as a person would: opening folders, its questions and reports, the
// language, a dark desktop, and the transfer, its files compared with what liedwerk-cli writes.
#include "UiTestSupport.h"

#include "support/CliRunner.h"
#include "ui/FolderTree.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>

using namespace lw::ui::test;
namespace fs = std::filesystem;

class TestHauptform : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fx;
    Hauptform& w() { return *m_fx->window; }
    bool shown(const char* name) { return !child(w(), name)->isHidden(); }
    QTreeView* list() { return child<QTreeView>(w(), "ListView1"); }
    int rows() { return list()->model()->rowCount(); }
    QTreeView* tree() { return child<QTreeView>(w(), "Dir1"); }
    FolderTreeModel* folders() { return static_cast<FolderTreeModel*>(tree()->model()); }
    const ShownMessage& lastMessage() { return m_fx->boxes.shown.last(); }

    bool ready() {
        return child(w(), "but_Abbruch")->isHidden() && child(w(), "ListView1")->isEnabled() &&
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

    enum Folder { AnsweredNo, NoBackup, TableMissing, SizeUnknown };

private slots:
    void init() { (m_fx = std::make_unique<WindowFixture>())->newWindow(); }
    void cleanup() {
        m_fx.reset();
        QLocale::setDefault(QLocale::c());
    }

    // The list-order question's close box keeps the last answer; an alphabetical list has no
    // folders to keep, so the folder options go. The list's model keeps Qt's rules throughout.
    // Too little room for a restore file is a warning with the estimate in the user's format.
    void loadingAList() {
        QAbstractItemModelTester tester(list()->model()); // failures reported as test failures
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_fx->fs.setDirectorySize(3000000); // 6,021 MB needed
        m_fx->fs.setFreeSpace(6020999);
        QVERIFY(openDirectory(w(), samples("kn5000"), 1));
        QVERIFY(openDirectory(w(), samples("kn5000"), -1));
        QVERIFY(rows() == 8 && !shown("Option_Verzeichnisstruktur_0") && !w().keepDirectoryStructure());
        QVERIFY(openDirectory(w(), samples("kn5000"), 0));
        QVERIFY(rows() == 128 && shown("Option_Verzeichnisstruktur_0"));
        QVERIFY(m_fx->boxes.shown.size() == 6 && lastMessage().text.contains(QStringLiteral("6,021")));
    }

    // After a list, a folder that gives none leaves the empty list with its hint and the
    // normal cursor. A failed load is reported naming the file or folder and hides the folder
    // options; a No or a folder without a backup says nothing and leaves them as they were.
    void loadThatLeavesNoList_data() {
        QTest::addColumn<int>("folder");
        QTest::addColumn<int>("messages"); // with the first load's question
        QTest::newRow("answered No") << int(AnsweredNo) << 2;
        QTest::newRow("no backup there") << int(NoBackup) << 1;
        QTest::newRow("song table missing") << int(TableMissing) << 3;
        QTest::newRow("folder size unknown") << int(SizeUnknown) << 3;
    }
    void loadThatLeavesNoList() {
        QFETCH(int, folder);
        QFETCH(int, messages);
        const bool failed = folder >= TableMissing;
        const std::filesystem::path broken = m_fx->place.path() / "broken"; // a KN3000 backup without tables
        std::filesystem::create_directories(broken);
        QVERIFY(QFile(toQString(broken / "filedir.dat")).open(QIODevice::WriteOnly));
        const auto dir = folder == NoBackup ? samples() : folder == TableMissing ? broken : samples("kn2000");
        QVERIFY(openDirectory(w(), samples("kn5000")));
        m_fx->boxes.answers = {folder == AnsweredNo ? QMessageBox::No : QMessageBox::Yes};
        if (folder == SizeUnknown)
            m_fx->fs.failOn(FsOp::DirectorySize, "", ErrorCode::PermissionDenied, "Permission denied");
        openDirectory(w(), dir);
        QCOMPARE(m_fx->boxes.shown.size(), messages);
        QCOMPARE(lastMessage().icon == QMessageBox::Critical, failed);
        const QString named = folder == TableMissing ? shownPath(broken / "Filenew.dat")
                                                     : shownPath(dir) + QStringLiteral(": Permission denied");
        QVERIFY2(!failed || lastMessage().text.contains(named), qPrintable(named));
        QVERIFY(rows() == 0 && shown("lbl_Hinweis") && !shown("fpBtnAllOn_Off") &&
                !QApplication::overrideCursor());
        QCOMPARE(shown("Option_Verzeichnisstruktur_0"), !failed);
    }

    // On activation the window's and Qt's own texts (its message boxes' buttons) follow the
    // program's language.
    void languageSwitchReachesQtsOwnTexts() {
        const QString english = child<QPushButton>(w(), "but_Transfer")->text();
        m_fx->setLanguage("1");
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w(), &activate);
        const QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        QVERIFY(child<QPushButton>(w(), "but_Transfer")->text() != english);
    }

    // Choosing a drive opens its root, again when it is chosen already, and so does Enter on
    // the tree's top item. A drive that cannot be listed is reported with the system's
    // reason; the drive list is read afresh and the tree stays.
    void driveList() {
        m_fx->drives.drives.push_back({"kn5000", samples("kn5000"), DriveType::Removable, {}});
        m_fx->drives.drives.push_back({"/media/card", "/media/card", DriveType::Removable, "sdc1"});
        m_fx->fs.failOn(FsOp::List, "/media/card", ErrorCode::PermissionDenied, "Permission denied");
        m_fx->newWindow();
        auto* drives = child<QComboBox>(w(), "Drive1");
        DialogScript script;
        emit drives->activated(3);
        QCOMPARE(w().treePath(), qtPath(samples("kn5000")));
        emit drives->activated(3);
        tree()->setCurrentIndex(tree()->model()->index(0, 0));
        QTest::keyClick(tree(), Qt::Key_Return);
        QCOMPARE(w().panelText(2), QStringLiteral("8"));
        QCOMPARE(script.seen.size(), 3);
        m_fx->drives.drives.pop_back(); // the card is gone by the time the list is read again
        emit drives->activated(4);
        QVERIFY(
            m_fx->boxes.shown.size() == 4 &&
            lastMessage().text.contains(shownPath("/media/card") + QStringLiteral("\rPermission denied")));
        QCOMPARE(w().treePath(), qtPath(samples("kn5000")));
        QVERIFY(drives->count() == 4 && drives->currentIndex() == 3); // without the card, on the tree's drive
    }

    // A click or an arrow key only selects a folder and keeps the user's list (a mark taken
    // away with Space); Enter, a double-click and a drop of the folder or a file in it open it.
    void selectingKeepsTheListOpeningLoads_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("opens");
        QTest::newRow("click") << "click" << false;
        QTest::newRow("arrow key") << "down" << false;
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("double-click") << "double-click" << true;
        QTest::newRow("folder dropped") << "drop" << true;
        QTest::newRow("file in it dropped") << "drop/00101.CMP" << true;
    }
    void selectingKeepsTheListOpeningLoads() {
        QFETCH(QString, gesture);
        QFETCH(bool, opens);
        QVERIFY(openDirectory(w(), samples("kn5000")));
        list()->setCurrentIndex(list()->model()->index(1, 2));
        QTest::keyClick(list(), Qt::Key_Space);
        const QModelIndex next = folders()->folderIndex(toQString(samples("kn6000")));
        const QPoint at = tree()->visualRect(next).center();
        DialogScript script;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(toQString(samples("kn6000")) + gesture.mid(4))});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (gesture == QStringLiteral("down")) {
            QTest::keyClick(tree(), Qt::Key_Down);
        } else if (gesture == QStringLiteral("enter")) {
            tree()->setCurrentIndex(next);
            QTest::keyClick(tree(), Qt::Key_Return);
        } else if (gesture.startsWith(QStringLiteral("drop"))) {
            QVERIFY(QApplication::sendEvent(&w(), &enter) && enter.isAccepted());
            QApplication::sendEvent(&w(), &drop);
        } else { // a click, or a double-click's first click and then its second
            QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
            if (opens)
                QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(folders()->folderPath(tree()->currentIndex()), qtPath(samples("kn6000")));
        QCOMPARE(script.seen.size(), opens ? 1 : 0); // the list-order question of a load
        QCOMPARE(w().panelText(4), opens ? QStringLiteral("10") : QStringLiteral("7"));
    }

    // On a dark desktop (white text on black) the song list's columns and the hint stay readable.
    void readableOnADarkDesktop() {
        QVERIFY(openDirectory(w(), samples("kn5000")));
        w().setPalette(QPalette(QColor(53, 53, 53)));
        for (int column = 0; column < list()->model()->columnCount(); ++column) {
            const QVariant colour = list()->model()->index(1, column).data(Qt::ForegroundRole);
            QVERIFY(!colour.isValid() || colour.value<QColor>().lightness() > 100);
        }
        const QPalette hint = child(w(), "lbl_Hinweis")->palette();
        QVERIFY(hint.windowText().color().lightness() - hint.window().color().lightness() > 100);
    }

    // The restore file in the program's folder or the card (an old PRIVATE without songs replaced
    // unasked), byte for byte what the command line writes. A card with songs is replaced only
    // after a question that names it, asked before anything is touched; a cancelled card-reader
    // dialog touches nothing. An abort gives the window back ready before its report.
    void runWritesWhatTheCommandLineWrites_data() {
        QTest::addColumn<bool>("toCard");
        QTest::addColumn<bool>("songsOnCard");
        QTest::addColumn<QMessageBox::StandardButton>("answer"); // the card question's; Cancel, Abort
        QTest::addColumn<int>("messages"); // with the load question and the notice before
        QTest::newRow("restore file") << false << false << QMessageBox::Yes << 3;
        QTest::newRow("card, songs one after the other") << true << false << QMessageBox::Yes << 3;
        QTest::newRow("card reader cancelled") << true << true << QMessageBox::Cancel << 2;
        QTest::newRow("restore folder refused") << false << false << QMessageBox::Abort << 3;
    }
    void runWritesWhatTheCommandLineWrites() {
        QFETCH(bool, toCard);
        QFETCH(bool, songsOnCard);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, messages);
        const fs::path card = m_fx->place.path() / "card"; // the only drive, with an old PRIVATE folder
        fs::create_directories(card / "PRIVATE" / "OLD");
        m_fx->drives.drives = {{pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
        m_fx->newWindow();
        const fs::path out = m_fx->place.path() / "cli",
                       restoreFile = m_fx->place.path() / "RestorSDB" / "Restore.sdb";
        const auto cli = [](const std::vector<std::string>& a) { return runCliInProcess(a).status == 0; };
        if (songsOnCard)
            QVERIFY(cli({"transfer", pathToUtf8(samples("kn5000")), "--card", pathToUtf8(card),
                         "--allow-fixed", "--yes"}));
        if (answer == QMessageBox::Abort)
            m_fx->fs.failOn(FsOp::CreateDirectory, "RestorSDB", ErrorCode::PermissionDenied,
                            "Permission denied");
        const auto written = [&] { return fileTree(toCard ? card : restoreFile.parent_path()); };
        const auto filesBefore = written();
        QVERIFY(openDirectory(w(), samples("kn2000")));
        child<QRadioButton>(w(), "Option_Verzeichnisstruktur_1")->click(); // songs one after the other
        m_fx->boxes.answers = {QMessageBox::Ok, answer};
        bool readyBehindLast = false;
        m_fx->boxes.onShow = [&](const ShownMessage&) { readyBehindLast = ready(); };
        transfer(toCard, answer == QMessageBox::Cancel ? "but_Abbruch" : "but_Start");
        QVERIFY(ready() && (answer != QMessageBox::Abort || readyBehindLast));
        QCOMPARE(m_fx->boxes.shown.size(), messages);
        const ShownMessage question = m_fx->boxes.shown.value(2); // naming the card
        QCOMPARE(question.icon == QMessageBox::Question && question.text.contains(shownPath(card)),
                 songsOnCard && answer != QMessageBox::Cancel);
        fs::create_directories(out);
        if (answer == QMessageBox::Yes)
            QVERIFY(cli({"transfer", pathToUtf8(samples("kn2000")), "--layout", "sequential",
                         toCard ? "--card" : "--restore-file", pathToUtf8(toCard ? out : out / "Restore.sdb"),
                         toCard ? "--allow-fixed" : "--card-size", toCard ? "--yes" : "64"}));
        QVERIFY(written() == (answer == QMessageBox::Yes ? fileTree(out) : filesBefore));
        // The closing message names the restore file; the abort's report, the folder refused.
        QVERIFY(toCard ||
                lastMessage().text.contains(answer == QMessageBox::Yes ? shownPath(restoreFile)
                                                                       : QStringLiteral("RestorSDB")));
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
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (w().panelText(8) != QStringLiteral("5"))
                return;
            watch.stop();
            QVERIFY(!child(w(), "but_Transfer")->isEnabled() && !child(w(), "ListView1")->isEnabled() &&
                    !child(w(), "fpBtnAllOn_Off")->isEnabled() && !child(w(), "m_Ausfuehren")->isEnabled());
            // The close box is refused: the run goes on until the cancel question is answered.
            QVERIFY(closeBox ? !w().close() : QMetaObject::invokeMethod(child(w(), "but_Abbruch"), "click"));
        });
        watch.start(0);
        transfer(false);
        // The cancel question, then the closing message; ten songs marked, five written.
        QVERIFY(!watch.isActive() && m_fx->boxes.shown.size() == 4 &&
                m_fx->boxes.shown.at(2).icon == QMessageBox::Question);
        QVERIFY(w().panelText(4) == QStringLiteral("5") &&
                fs::exists(m_fx->place.path() / "RestorSDB" / "Restore.sdb"));
        QCOMPARE(w().isVisible(), !closeBox);
    }
};

QTEST_MAIN(TestHauptform)
#include "tst_hauptform.moc"
