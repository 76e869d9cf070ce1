// The main window driven as a person would: opening folders in the tree, by the drive list
// and by dropping them, the list-order question, loads that leave no list, the space
// warning, the language, the all-marks button and a dark desktop.
#include "UiTestSupport.h"

#include "ui/FolderTree.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QToolButton>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

class TestHauptform : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fx;
    Hauptform& w() { return *m_fx->window; }
    bool shown(const char* name) { return !child(w(), name)->isHidden(); }
    QTreeView* list() { return child<QTreeView>(w(), "ListView1"); }
    int rows() { return list()->model()->rowCount(); }
    QTreeView* tree() { return child<QTreeView>(w(), "Dir1"); }
    FolderTreeModel* folders() { return static_cast<FolderTreeModel*>(tree()->model()); }
    QString currentFolder() { return folders()->folderPath(tree()->currentIndex()); }

private slots:
    void init() {
        m_fx = std::make_unique<WindowFixture>();
        m_fx->newWindow();
    }
    void cleanup() {
        m_fx.reset();
        QLocale::setDefault(QLocale::c());
    }

    // The list-order question's close box keeps the last answer; an alphabetical list has no
    // folders to keep, so the folder options go and the songs are lined up. The list's model
    // keeps Qt's rules through each new list.
    void listOrderQuestion() {
        QAbstractItemModelTester tester(list()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(openDirectory(w(), samples("kn5000"), 1));
        QVERIFY(openDirectory(w(), samples("kn5000"), -1));
        QCOMPARE(rows(), 8);
        QVERIFY(!shown("Option_Verzeichnisstruktur_0") && !w().keepDirectoryStructure());
        QVERIFY(openDirectory(w(), samples("kn5000"), 0));
        QCOMPARE(rows(), 128);
        QVERIFY(shown("Option_Verzeichnisstruktur_0"));
    }

    // After a list, a folder that gives none: the empty list with its hint and the normal
    // cursor. A failed load is reported naming the file or folder and hides the folder
    // options; a No or a folder without a backup says nothing and leaves them as they were.
    void loadThatLeavesNoList_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("messages"); // with the first load's question
        QTest::addColumn<bool>("failed");
        QTest::newRow("answered No") << "No" << 2 << false;
        QTest::newRow("no backup there") << "samples" << 1 << false;
        QTest::newRow("song table missing") << "broken" << 3 << true;
        QTest::newRow("folder size unknown") << "locked" << 3 << true;
    }
    void loadThatLeavesNoList() {
        QFETCH(QString, folder);
        QFETCH(int, messages);
        QFETCH(bool, failed);
        QVERIFY(openDirectory(w(), samples("kn5000")));
        std::filesystem::path dir = folder == QStringLiteral("samples") ? samples() : samples("kn2000");
        QString named = shownPath(dir) + QStringLiteral(": Permission denied");
        if (folder == QStringLiteral("No"))
            m_fx->boxes.answers = {QMessageBox::No};
        if (folder == QStringLiteral("locked"))
            m_fx->fs.failOn(FsOp::DirectorySize, "", ErrorCode::PermissionDenied, "Permission denied");
        if (folder == QStringLiteral("broken")) { // a KN3000 backup without its tables
            dir = m_fx->place.path() / "broken";
            std::filesystem::create_directories(dir);
            QVERIFY(QFile(toQString(dir / "filedir.dat")).open(QIODevice::WriteOnly));
            named = shownPath(dir / "Filenew.dat");
        }
        openDirectory(w(), dir);
        QCOMPARE(m_fx->boxes.shown.size(), messages);
        QCOMPARE(m_fx->boxes.shown.last().icon == QMessageBox::Critical, failed);
        QVERIFY2(!failed || m_fx->boxes.shown.last().text.contains(named), qPrintable(named));
        QCOMPARE(rows(), 0);
        QVERIFY(shown("lbl_Hinweis") && !shown("fpBtnAllOn_Off"));
        QCOMPARE(shown("Option_Verzeichnisstruktur_0"), !failed);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // Too little room for a restore file in the program's folder is a warning with the
    // estimate in the user's number format (6,021 MB for 3 MB); exactly enough room is none.
    void spaceWarning_data() {
        QTest::addColumn<qulonglong>("free");
        QTest::addColumn<bool>("warned");
        QTest::newRow("one byte too little") << 6020999ull << true;
        QTest::newRow("exactly enough") << 6021000ull << false;
    }
    void spaceWarning() {
        QFETCH(qulonglong, free);
        QFETCH(bool, warned);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_fx->fs.setDirectorySize(3000000);
        m_fx->fs.setFreeSpace(free);
        QVERIFY(openDirectory(w(), samples("kn2000")));
        QCOMPARE(m_fx->boxes.shown.size(), warned ? 2 : 1);
        QCOMPARE(m_fx->boxes.shown.last().text.contains(QStringLiteral("6,021")), warned);
    }

    // On activation the window's and Qt's own texts (its message boxes' buttons) follow the
    // program's language.
    void languageSwitchReachesQtsOwnTexts() {
        const auto yesButton = [] {
            return QMessageBox(QMessageBox::Question, {}, {}, QMessageBox::Yes)
                .button(QMessageBox::Yes)
                ->text();
        };
        QCOMPARE(yesButton(), QStringLiteral("&Yes"));
        const QString english = child<QPushButton>(w(), "but_Transfer")->text();
        m_fx->setLanguage("1");
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w(), &activate);
        QCOMPARE(yesButton(), QStringLiteral("&Ja"));
        QVERIFY(child<QPushButton>(w(), "but_Transfer")->text() != english);
    }

    // A drive that cannot be listed is reported, naming it and the system's reason; the
    // drive list is read afresh and the tree stays where it was.
    void driveThatCannotBeOpened() {
        m_fx->drives.drives.push_back({"/media/card", "/media/card", DriveType::Removable, "sdc1"});
        m_fx->fs.failOn(FsOp::List, "/media/card", ErrorCode::PermissionDenied, "Permission denied");
        m_fx->newWindow();
        auto* drives = child<QComboBox>(w(), "Drive1");
        QCOMPARE(drives->count(), 4); // home, "/", the samples, the card
        openDirectory(w(), samples());
        const QString before = w().treePath();
        m_fx->drives.drives.pop_back(); // the card is gone by the time the list is read again
        emit drives->activated(3);
        QCOMPARE(m_fx->boxes.shown.size(), 1);
        QVERIFY(m_fx->boxes.shown.last().text.contains(shownPath("/media/card") +
                                                       QStringLiteral("\rPermission denied")));
        QCOMPARE(w().treePath(), before);
        QCOMPARE(drives->count(), 3);
        QCOMPARE(drives->currentIndex(), 2); // still the samples' drive, which the tree shows
    }

    // Choosing the drive that is chosen already opens its root again (also after a No), and
    // so does Enter on the tree's top item, the drive's root.
    void driveRootOpensAgain() {
        m_fx->drives.drives.push_back({"kn5000", samples("kn5000"), DriveType::Removable, {}});
        m_fx->newWindow();
        auto* drives = child<QComboBox>(w(), "Drive1");
        DialogScript script;
        script.actions[QStringLiteral("Dialog_Liste")] = [](QDialog& d) { click(d, "Button_check_0"); };
        emit drives->activated(3);
        QCOMPARE(w().treePath(), qtPath(samples("kn5000")));
        QCOMPARE(w().panelText(2), QStringLiteral("8"));
        m_fx->boxes.answers = {QMessageBox::No};
        emit drives->activated(3);
        QCOMPARE(w().panelText(2), QStringLiteral("----"));
        emit drives->activated(3);
        QCOMPARE(w().panelText(2), QStringLiteral("8"));
        tree()->setCurrentIndex(tree()->model()->index(0, 0));
        QTest::keyClick(tree(), Qt::Key_Return);
        QCOMPARE(m_fx->boxes.shown.size(), 4);
        QCOMPARE(script.seen.size(), 3);
    }

    // A click or an arrow key only selects a folder and keeps the user's list (a mark taken
    // away with Space on the song name); Enter and a double-click open it.
    void selectingKeepsTheListOpeningLoads_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("opens");
        QTest::newRow("click") << "click" << false;
        QTest::newRow("arrow key") << "down" << false;
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("double-click") << "double-click" << true;
    }
    void selectingKeepsTheListOpeningLoads() {
        QFETCH(QString, gesture);
        QFETCH(bool, opens);
        QVERIFY(openDirectory(w(), samples("kn5000")));
        list()->setCurrentIndex(list()->model()->index(1, 2));
        QTest::keyClick(list(), Qt::Key_Space);
        QCOMPARE(w().panelText(4), QStringLiteral("7"));
        QCOMPARE(currentFolder(), qtPath(samples("kn5000")));
        const QModelIndex next = folders()->folderIndex(toQString(samples("kn6000")));
        const QPoint at = tree()->visualRect(next).center();
        DialogScript script;
        if (gesture == QStringLiteral("down")) {
            QTest::keyClick(tree(), Qt::Key_Down);
        } else if (gesture == QStringLiteral("enter")) {
            tree()->setCurrentIndex(next);
            QTest::keyClick(tree(), Qt::Key_Return);
        } else { // a click, or a double-click's first click and then its second
            QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
            if (opens)
                QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(tree()->currentIndex(), next);
        QCOMPARE(script.seen.size(), opens ? 1 : 0);
        QCOMPARE(w().panelText(4), opens ? QStringLiteral("10") : QStringLiteral("7"));
    }

    // A folder dropped from the file manager, or a file inside it, is opened and shown in
    // the tree.
    void droppingOpensTheFolder_data() {
        QTest::addColumn<QString>("dropped");
        QTest::newRow("the folder") << toQString(samples("kn5000"));
        QTest::newRow("a file in it") << toQString(samples("kn5000") / "Fileblk.dat");
    }
    void droppingOpensTheFolder() {
        QFETCH(QString, dropped);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(&w(), &enter);
        QVERIFY(enter.isAccepted());
        DialogScript script;
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w(), &drop);
        QCOMPARE(script.seen, QStringList{QStringLiteral("Dialog_Liste")});
        QCOMPARE(w().panelText(6), QStringLiteral("KN5000"));
        QCOMPARE(currentFolder(), qtPath(samples("kn5000")));
    }

    // The all-marks button stays on the first column's title at every scroll position.
    void allMarksButtonStaysOnTheFirstTitle() {
        QVERIFY(openDirectory(w(), samples("kn6000")));
        auto* button = child<QToolButton>(w(), "fpBtnAllOn_Off");
        QScrollBar* scroll = list()->horizontalScrollBar();
        QVERIFY(scroll->maximum() > 40);
        const QHeaderView* header = list()->header();
        for (const int value : {40, scroll->maximum(), 0}) {
            scroll->setValue(value);
            const QRect title(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                              header->height());
            QVERIFY2(title.contains(button->geometry()), qPrintable(QString::number(value)));
        }
    }

    // On a dark desktop every column of the song list and the hint stay readable: no
    // text colour of the list's own is dark on the dark ground.
    void readableOnADarkDesktop() {
        QVERIFY(openDirectory(w(), samples("kn5000")));
        QPalette dark = w().palette();
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        w().setPalette(dark);
        const auto readable = [](const QColor& text, const QColor& ground) {
            return qAbs(text.lightness() - ground.lightness()) > 100;
        };
        for (int column = 0; column < list()->model()->columnCount(); ++column) {
            const QVariant colour = list()->model()->index(1, column).data(Qt::ForegroundRole);
            QVERIFY2(readable(colour.isValid() ? colour.value<QColor>() : dark.color(QPalette::Text),
                              dark.color(QPalette::Base)),
                     qPrintable(QString::number(column)));
        }
        const QPalette hint = child(w(), "lbl_Hinweis")->palette();
        QVERIFY(readable(hint.color(QPalette::WindowText), hint.color(QPalette::Window)));
    }
};

QTEST_MAIN(TestHauptform)
#include "tst_hauptform.moc"
