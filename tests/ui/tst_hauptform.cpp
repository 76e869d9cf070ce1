// The main window driven as a person would: opening folders in the tree, by the drive
// list and by dropping them, the list-order question, a failed load, the space warning,
// the language, the all-marks button.
#include "UiTestSupport.h"

#include "ui/FolderTree.h"

#include <QAbstractItemModelTester>
#include <QDir>
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
    int rows() { return child<QTreeView>(w(), "ListView1")->model()->rowCount(); }
    QTreeView* tree() { return child<QTreeView>(w(), "Dir1"); }
    QString folderAt(const QModelIndex& index) {
        return static_cast<FolderTreeModel*>(tree()->model())->folderPath(index);
    }

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
        QAbstractItemModelTester tester(child<QTreeView>(w(), "ListView1")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(openDirectory(w(), sampleDir("kn5000"), 1));
        QVERIFY(openDirectory(w(), sampleDir("kn5000"), -1));
        QCOMPARE(rows(), 8);
        QVERIFY(!shown("Option_Verzeichnisstruktur_0") && !w().keepDirectoryStructure());
        QVERIFY(openDirectory(w(), sampleDir("kn5000"), 0));
        QCOMPARE(rows(), 128);
        QVERIFY(shown("Option_Verzeichnisstruktur_0"));
    }

    // A failed load: an error report naming the file, then the empty list with its hint,
    // no folder options and the normal cursor.
    void failedLoadIsReportedAndLeavesAnEmptyList() {
        QVERIFY(openDirectory(w(), sampleDir("kn5000")));
        const std::filesystem::path dir = m_fx->place.path() / "broken"; // a KN3000 backup without tables
        std::filesystem::create_directories(dir);
        QVERIFY(QFile(toQString(dir / "filedir.dat")).open(QIODevice::WriteOnly));
        openDirectory(w(), dir);
        QCOMPARE(m_fx->boxes.shown.last().icon, QMessageBox::Critical);
        QVERIFY(
            m_fx->boxes.shown.last().text.contains(QDir::toNativeSeparators(toQString(dir / "Filenew.dat"))));
        QCOMPARE(rows(), 0);
        QVERIFY(shown("lbl_Hinweis") && !shown("fpBtnAllOn_Off") && !shown("Option_Verzeichnisstruktur_0"));
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
        QVERIFY(openDirectory(w(), sampleDir("kn2000")));
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
        openDirectory(w(), sourceDir() / "samples");
        const QString before = w().treePath();
        m_fx->drives.drives.pop_back(); // the card is gone by the time the list is read again
        emit drives->activated(3);
        QCOMPARE(m_fx->boxes.shown.size(), 1);
        QVERIFY(m_fx->boxes.shown.last().text.contains(
            QDir::toNativeSeparators(QStringLiteral("/media/card")) + QStringLiteral("\rPermission denied")));
        QCOMPARE(w().treePath(), before);
        QCOMPARE(drives->count(), 3);
        QCOMPARE(drives->currentIndex(), 2); // still the samples' drive, which the tree shows
    }

    // Choosing the drive that is chosen already opens its root again (also after a No), and
    // so does Enter on the tree's top item, the drive's root.
    void driveRootOpensAgain() {
        m_fx->drives.drives.push_back({"kn5000", sampleDir("kn5000"), DriveType::Removable, {}});
        m_fx->newWindow();
        auto* drives = child<QComboBox>(w(), "Drive1");
        DialogScript script;
        script.actions[QStringLiteral("Dialog_Liste")] = [](QDialog& d) { click(d, "Button_check_0"); };
        emit drives->activated(3);
        QCOMPARE(w().treePath(), toQString(sampleDir("kn5000")));
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
        QVERIFY(openDirectory(w(), sampleDir("kn5000")));
        auto* list = child<QTreeView>(w(), "ListView1");
        list->setCurrentIndex(list->model()->index(1, 2));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(w().panelText(4), QStringLiteral("7"));
        QCOMPARE(folderAt(tree()->currentIndex()), toQString(sampleDir("kn5000")));
        const QModelIndex next =
            static_cast<FolderTreeModel*>(tree()->model())->folderIndex(toQString(sampleDir("kn6000")));
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
        QTest::newRow("the folder") << toQString(sampleDir("kn5000"));
        QTest::newRow("a file in it") << toQString(sampleDir("kn5000") / "Fileblk.dat");
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
        QCOMPARE(folderAt(tree()->currentIndex()), toQString(sampleDir("kn5000")));
    }

    // The all-marks button stays in its place on the first column's title at every scroll
    // position, and its two states look different.
    void allMarksButtonStaysOnTheFirstTitle() {
        QVERIFY(openDirectory(w(), sampleDir("kn6000")));
        auto* list = child<QTreeView>(w(), "ListView1");
        auto* button = child<QToolButton>(w(), "fpBtnAllOn_Off");
        QScrollBar* scroll = list->horizontalScrollBar();
        QVERIFY(scroll->maximum() > 40);
        const QHeaderView* header = list->header();
        const int offset = button->x() - header->sectionViewportPosition(0);
        for (const int value : {40, scroll->maximum(), 0}) {
            scroll->setValue(value);
            const QRect title(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                              header->height());
            QVERIFY2(title.contains(button->geometry()) && button->x() - title.x() == offset,
                     qPrintable(QString::number(value)));
        }
        const QImage released = button->icon().pixmap(14).toImage();
        button->click();
        QVERIFY(button->icon().pixmap(14).toImage() != released);
    }
};

QTEST_MAIN(TestHauptform)
#include "tst_hauptform.moc"
