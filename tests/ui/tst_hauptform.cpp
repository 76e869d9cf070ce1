// The main window driven as a person would: opening directories in the tree, by the
// drive list and by dropping them, answering the questions, marking and renaming songs,
// switching the language, resizing, and a dark desktop.
#include "SampleBackup.h"
#include "UiTestSupport.h"
#include "platform/Path.h"
#include "ui/FolderTree.h"
#include "ui/Hauptform.h"
#include "ui/dialogs/Twips.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

namespace {

template <class T = QWidget>
T* child(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

bool shown(QWidget& window, const char* name) {
    return !child(window, name)->isHidden();
}

} // namespace

class TestHauptform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadsEachSample_data();
    void loadsEachSample();
    void declinedOrMissingBackupEmptiesTheList_data();
    void declinedOrMissingBackupEmptiesTheList();
    void failedLoadTakesTheFailurePath_data();
    void failedLoadTakesTheFailurePath();
    void spaceEstimate_data();
    void spaceEstimate();
    void closeBoxKeepsTheLastListOrder();
    void marksAndAllMarksButton();
    void renameThroughTheEditor();
    void languageSwitchRelabelsTheWindow();
    void widthIsFixedAndHeightIsFollowed();
    void driveThatCannotBeOpened_data();
    void driveThatCannotBeOpened();
    void driveRootOpensAgain();
    void selectingKeepsTheListOpeningLoads_data();
    void selectingKeepsTheListOpeningLoads();
    void droppingOpensTheFolder_data();
    void droppingOpensTheFolder();
    void allMarksButtonStaysOnTheFirstTitle();
    void songListIsReadableOnADarkDesktop();

private:
    void load(const std::filesystem::path& dir, int order) { QVERIFY(openDirectory(*m_w, dir, order)); }
    void toggleMark(int row);
    int rows() { return child<QTreeView>(*m_w, "ListView1")->model()->rowCount(); }

    std::unique_ptr<WindowFixture> m_fx;
    std::unique_ptr<Hauptform> m_w;
};

void TestHauptform::init() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_fx = std::make_unique<WindowFixture>();
    m_w = std::make_unique<Hauptform>(m_fx->context);
    m_w->show();
}

void TestHauptform::cleanup() {
    m_w.reset();
    m_fx.reset();
}

// Space on the song name column: the row's mark changes whatever column is current.
void TestHauptform::toggleMark(int row) {
    auto* list = child<QTreeView>(*m_w, "ListView1");
    list->setCurrentIndex(list->model()->index(row, 2));
    QTest::keyClick(list, Qt::Key_Space);
}

void TestHauptform::loadsEachSample_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("kindText");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("songs");
    QTest::newRow("KN2000 standard") << "kn2000" << 0 << "KN2000" << 47 << 7;
    QTest::newRow("KN3000 alphabetical") << "kn3000" << 1 << "KN3000" << 6 << 6;
    QTest::newRow("KN5000 standard") << "kn5000" << 0 << "KN5000" << 128 << 8;
    QTest::newRow("KN6000 alphabetical") << "kn6000" << 1 << "KN6000/6500" << 10 << 10;
}

void TestHauptform::loadsEachSample() {
    QFETCH(QString, kind);
    QFETCH(int, order);
    QFETCH(QString, kindText);
    QFETCH(int, rows);
    QFETCH(int, songs);
    // The list's model keeps Qt's rules through loads, marks, renames and the all-marks button.
    QAbstractItemModelTester tester(child<QTreeView>(*m_w, "ListView1")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    load(sampleDir(kind.toStdString()), order);

    QCOMPARE(m_fx->boxes.shown.size(), 1);
    QCOMPARE(m_fx->boxes.shown.first().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(this->rows(), rows);
    QCOMPARE(m_w->panelText(2), QString::number(songs));
    QCOMPARE(m_w->panelText(6), kindText);
    QCOMPARE(QString::fromStdString(m_w->backupPath()),
             QDir::toNativeSeparators(toQString(sampleDir(kind.toStdString())) + u'/'));
    QVERIFY(!shown(*m_w, "lbl_Hinweis") && shown(*m_w, "fpBtnAllOn_Off") && !shown(*m_w, "ProgressBar1"));
    QCOMPARE(shown(*m_w, "Option_Verzeichnisstruktur_0"), order == 0);
    QCOMPARE(m_w->keepDirectoryStructure(), order == 0);

    toggleMark(1);
    child<QToolButton>(*m_w, "fpBtnAllOn_Off")->click();
    m_w->workingList().rename(static_cast<std::size_t>(rows - 1), "Renamed");
    load(sampleDir("kn3000"), 1);
}

void TestHauptform::declinedOrMissingBackupEmptiesTheList_data() {
    QTest::addColumn<QString>("next");
    QTest::addColumn<bool>("asked");
    QTest::newRow("answered No") << toQString(sampleDir("kn6000")) << true;
    QTest::newRow("no backup there") << toQString(sourceDir() / "samples") << false;
}

void TestHauptform::declinedOrMissingBackupEmptiesTheList() {
    QFETCH(QString, next);
    QFETCH(bool, asked);
    load(sampleDir("kn5000"), 0);
    m_fx->boxes.answers = {QMessageBox::No};
    QVERIFY(!openDirectory(*m_w, pathFromUtf8(next.toStdString())));
    QCOMPARE(m_fx->boxes.shown.size(), asked ? 2 : 1);
    QCOMPARE(rows(), 0);
    QVERIFY(shown(*m_w, "lbl_Hinweis") && !shown(*m_w, "fpBtnAllOn_Off"));
    QCOMPARE(m_w->panelText(4), QStringLiteral("----"));
    // The options and the transfer button keep what the last load gave them.
    QVERIFY(shown(*m_w, "Option_Verzeichnisstruktur_0") && shown(*m_w, "but_Transfer"));
}

void TestHauptform::failedLoadTakesTheFailurePath_data() {
    QTest::addColumn<bool>("tableMissing"); // else the space estimate cannot read the folder's size
    QTest::addColumn<QString>("named");
    QTest::newRow("song table missing") << true << "Filenew.dat";
    QTest::newRow("directory size unknown") << false << "/x/locked: Permission denied";
}

void TestHauptform::failedLoadTakesTheFailurePath() {
    QFETCH(bool, tableMissing);
    QFETCH(QString, named);
    load(sampleDir("kn5000"), 0); // options shown by a standard list
    std::filesystem::path dir = sampleDir("kn2000");
    if (tableMissing) { // recognised by filedir.dat as a KN3000 backup, without its tables
        dir = pathFromUtf8(m_fx->temp.filePath(QStringLiteral("broken")).toStdString());
        std::filesystem::create_directories(dir);
        QFile(toQString(dir / "filedir.dat")).open(QIODevice::WriteOnly);
    } else {
        m_fx->fs.directorySizeError =
            Status::error(ErrorCode::PermissionDenied, "/x/locked", "Permission denied");
    }
    openDirectory(*m_w, dir);
    const ShownMessage& error = m_fx->boxes.shown.last();
    QCOMPARE(error.icon, QMessageBox::Critical);
    QVERIFY2(error.text.contains(QDir::toNativeSeparators(named)), qPrintable(error.text));
    QCOMPARE(rows(), 0);
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    for (const char* hidden : {"fpBtnAllOn_Off", "ProgressBar1", "Option_Verzeichnisstruktur_0"})
        QVERIFY2(!shown(*m_w, hidden), hidden);
    QCOMPARE(QString::fromStdString(m_w->backupPath()), QDir::toNativeSeparators(toQString(dir) + u'/'));
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestHauptform::spaceEstimate_data() {
    QTest::addColumn<qulonglong>("freeBytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("megabytes"); // empty: no warning
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("just too little, English") << 6020999ull << english << QStringLiteral("6.021");
    QTest::newRow("just too little, German") << 6020999ull << german << QStringLiteral("6,021");
    QTest::newRow("exactly enough") << 6021000ull << english << QString();
}

void TestHauptform::spaceEstimate() {
    QFETCH(qulonglong, freeBytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, megabytes);
    QLocale::setDefault(locale);
    m_fx->fs.directoryBytes = 3000000;
    m_fx->fs.setFreeSpace(freeBytes);
    load(sampleDir("kn2000"), 0);
    QCOMPARE(rows(), 47);
    QCOMPARE(m_fx->boxes.shown.size(), megabytes.isEmpty() ? 1 : 2);
    if (!megabytes.isEmpty())
        QVERIFY2(m_fx->boxes.shown.last().text.contains(
                     QDir::separator() + QStringLiteral("is to small. The estimated SD card size is") +
                     megabytes + QStringLiteral("Megabyte.")),
                 qPrintable(m_fx->boxes.shown.last().text));
}

void TestHauptform::closeBoxKeepsTheLastListOrder() {
    load(sampleDir("kn3000"), -1); // closed on the first time: standard
    QCOMPARE(m_w->workingList().order(), ListOrder::Standard);
    load(sampleDir("kn5000"), 1);
    load(sampleDir("kn6000"), -1);
    QCOMPARE(m_w->workingList().order(), ListOrder::Alphabetical);
    QVERIFY(!shown(*m_w, "Option_Verzeichnisstruktur_1"));
}

void TestHauptform::marksAndAllMarksButton() {
    load(sampleDir("kn5000"), 0);
    toggleMark(1);
    QCOMPARE(m_w->panelText(4), QStringLiteral("7"));
    auto* allMarks = child<QToolButton>(*m_w, "fpBtnAllOn_Off");
    allMarks->click();
    QVERIFY(allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("0"));
    toggleMark(1);
    QCOMPARE(m_w->panelText(4), QStringLiteral("1"));
    // The button's state outlives a new list: pressed now, its next press marks everything.
    load(sampleDir("kn2000"), 0);
    QVERIFY(allMarks->isChecked());
    allMarks->click();
    QVERIFY(!allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("7"));
}

void TestHauptform::renameThroughTheEditor() {
    load(sampleDir("kn6000"), 0);
    auto* list = child<QTreeView>(*m_w, "ListView1");
    list->setCurrentIndex(list->model()->index(1, 3)); // F2 renames whatever column is current
    QTest::keyClick(list, Qt::Key_F2);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Curtain Up Reprise"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(list->viewport()->findChild<QLineEdit*>() == nullptr);
    QCOMPARE(m_w->workingList().row(1).text, std::string("Curtain Up Repri"));
}

void TestHauptform::languageSwitchRelabelsTheWindow() {
    // Qt's own texts, such as its message boxes' buttons, follow the program's language.
    const auto yesButton = [] {
        QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    QCOMPARE(yesButton(), QStringLiteral("&Yes"));
    load(sampleDir("kn6000"), 0);
    m_fx->setLanguage("1");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(m_w.get(), &activate);
    QCOMPARE(yesButton(), QStringLiteral("&Ja"));
    QCOMPARE(child<QMenu>(*m_w, "m_Programm")->title(), QStringLiteral("&Programm"));
    QCOMPARE(m_w->findChild<QAction*>(QStringLiteral("mnu_Oeffnen"))->text(),
             QStringLiteral("Backupordner &öffnen…"));
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Songname"));
    QCOMPARE(m_w->panelText(5), QStringLiteral("Gerätetyp"));
    QCOMPARE(m_w->panelText(2), QStringLiteral("10"));
    QCOMPARE(child<QPushButton>(*m_w, "but_Transfer")->text(), QStringLiteral("Transfer ausführen"));
}

void TestHauptform::widthIsFixedAndHeightIsFollowed() {
    m_w->resize(900, 200);
    QCOMPARE(m_w->size(), QSize(px(Hauptform::kWidth), px(Hauptform::kMinHeight)));
    m_w->resize(400, 900);
    QCOMPARE(m_w->size(), QSize(px(Hauptform::kWidth), 900));
    QCoreApplication::processEvents();
    const int h = twips(m_w->centralWidget()->height());
    QCOMPARE(child(*m_w, "ListView1")->geometry(), twipsRect(2940, 600, 7185, h - 600 - 650));
    QCOMPARE(child(*m_w, "FrameBackuppfad")->geometry(), twipsRect(120, 510, 2715, h - 510 - 650));
    QCOMPARE(child(*m_w, "Dir1")->height(), px(h - 510 - 650 - 1000));
    QCOMPARE(child(*m_w, "ProgressBar1")->y(), px(h - 600 - 650 + 700));
}

void TestHauptform::driveThatCannotBeOpened_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("no medium") << int(ErrorCode::DeviceUnavailable) << QStringLiteral("Drive not available.");
    QTest::newRow("no access") << int(ErrorCode::PermissionDenied)
                               << QStringLiteral("Error 13 cause of ") +
                                      QDir::toNativeSeparators(QStringLiteral("/media/card")) +
                                      QStringLiteral("\rPermission denied");
}

void TestHauptform::driveThatCannotBeOpened() {
    QFETCH(int, code);
    QFETCH(QString, text);
    m_fx->drives.drives.push_back({"/media/card", "/media/card", DriveType::Removable, "sdc1"});
    m_fx->fs.failingListings["/media/card"] =
        Status::error(static_cast<ErrorCode>(code), "/media/card", "Permission denied", 13);
    m_w = std::make_unique<Hauptform>(m_fx->context);
    auto* drives = child<QComboBox>(*m_w, "Drive1");
    QCOMPARE(drives->count(), 4); // home, "/", the samples, the card
    openDirectory(*m_w, sourceDir() / "samples");
    const QString before = m_w->treePath();

    m_fx->drives.drives.pop_back(); // the card is gone by the time the list is read again
    emit drives->activated(3);
    QCOMPARE(m_fx->boxes.shown.size(), 1);
    QCOMPARE(m_fx->boxes.shown.last().text, text);
    QCOMPARE(m_w->treePath(), before);
    QCOMPARE(drives->count(), 3);
    QCOMPARE(drives->currentIndex(), 2); // still the samples' drive, which the tree shows
}

void TestHauptform::driveRootOpensAgain() {
    m_fx->drives.drives.push_back({"kn5000", sampleDir("kn5000"), DriveType::Removable, {}});
    m_w = std::make_unique<Hauptform>(m_fx->context);
    auto* drives = child<QComboBox>(*m_w, "Drive1");
    DialogScript script;
    script.actions[QStringLiteral("Dialog_Liste")] = [](QDialog& d) { click(d, "Button_check_0"); };
    emit drives->activated(3);
    QCOMPARE(m_w->treePath(), QDir::cleanPath(toQString(sampleDir("kn5000"))));
    QCOMPARE(m_w->panelText(2), QStringLiteral("8"));
    // Choosing the same drive again asks again (also after a No), and so does Enter on
    // the tree's top item, the drive's root.
    m_fx->boxes.answers = {QMessageBox::No};
    emit drives->activated(3);
    QCOMPARE(m_w->panelText(2), QStringLiteral("----"));
    emit drives->activated(3);
    QCOMPARE(m_w->panelText(2), QStringLiteral("8"));
    auto* tree = child<QTreeView>(*m_w, "Dir1");
    tree->setCurrentIndex(tree->model()->index(0, 0));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(m_fx->boxes.shown.size(), 4);
    QCOMPARE(script.seen.size(), 3);
}

void TestHauptform::selectingKeepsTheListOpeningLoads_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<bool>("opens");
    QTest::newRow("click") << "click" << false;
    QTest::newRow("arrow key") << "down" << false;
    QTest::newRow("Enter") << "enter" << true;
    QTest::newRow("double-click") << "double-click" << true;
}

void TestHauptform::selectingKeepsTheListOpeningLoads() {
    QFETCH(QString, gesture);
    QFETCH(bool, opens);
    load(sampleDir("kn5000"), 0);
    toggleMark(1); // the user's work on the list
    auto* tree = child<QTreeView>(*m_w, "Dir1");
    auto* folders = static_cast<FolderTreeModel*>(tree->model());
    QCOMPARE(folders->folderPath(tree->currentIndex()),
             QDir::fromNativeSeparators(toQString(sampleDir("kn5000"))));
    const QModelIndex next = folders->folderIndex(toQString(sampleDir("kn6000")));
    const QPoint at = tree->visualRect(next).center();

    DialogScript script;
    if (gesture == QStringLiteral("click")) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    } else if (gesture == QStringLiteral("down")) {
        QTest::keyClick(tree, Qt::Key_Down);
    } else if (gesture == QStringLiteral("enter")) {
        tree->setCurrentIndex(next);
        QTest::keyClick(tree, Qt::Key_Return);
    } else { // a double-click's first click, then its second
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(tree->currentIndex(), next);
    QCOMPARE(script.seen.size(), opens ? 1 : 0);
    QCOMPARE(m_w->panelText(6), opens ? QStringLiteral("KN6000/6500") : QStringLiteral("KN5000"));
    QCOMPARE(m_w->panelText(4), opens ? QStringLiteral("10") : QStringLiteral("7"));
}

void TestHauptform::droppingOpensTheFolder_data() {
    QTest::addColumn<QString>("dropped");
    QTest::newRow("the folder") << toQString(sampleDir("kn5000"));
    QTest::newRow("a file in it") << toQString(sampleDir("kn5000") / "Fileblk.dat");
}

void TestHauptform::droppingOpensTheFolder() {
    QFETCH(QString, dropped);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(m_w.get(), &enter);
    QVERIFY(enter.isAccepted());
    DialogScript script;
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_w.get(), &drop);
    QCOMPARE(script.seen, QStringList{QStringLiteral("Dialog_Liste")});
    QCOMPARE(m_w->panelText(6), QStringLiteral("KN5000"));
    auto* tree = child<QTreeView>(*m_w, "Dir1");
    QCOMPARE(static_cast<FolderTreeModel*>(tree->model())->folderPath(tree->currentIndex()),
             QDir::fromNativeSeparators(toQString(sampleDir("kn5000"))));
}

void TestHauptform::allMarksButtonStaysOnTheFirstTitle() {
    load(sampleDir("kn6000"), 0);
    auto* list = child<QTreeView>(*m_w, "ListView1");
    auto* button = child<QToolButton>(*m_w, "fpBtnAllOn_Off");
    QHeaderView* header = list->header();
    QScrollBar* scroll = list->horizontalScrollBar();
    QVERIFY(scroll->maximum() > 40);
    for (const int value : {0, 40, scroll->maximum(), 0}) {
        scroll->setValue(value);
        const QRect title(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->height());
        QVERIFY2(title.contains(button->geometry()), qPrintable(QString::number(value)));
    }
    // Its two states look different: the press that takes the marks away, and the one that
    // puts them back.
    const QImage released = button->icon().pixmap(14).toImage();
    button->click();
    QVERIFY(button->icon().pixmap(14).toImage() != released);
}

void TestHauptform::songListIsReadableOnADarkDesktop() {
    load(sampleDir("kn5000"), 0);
    QPalette dark = m_w->palette();
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    m_w->setPalette(dark);
    const QAbstractItemModel* model = child<QTreeView>(*m_w, "ListView1")->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        const QVariant colour = model->index(1, column).data(Qt::ForegroundRole);
        const QColor text = colour.isValid() ? colour.value<QColor>() : dark.color(QPalette::Text);
        QVERIFY2(text.lightness() - dark.color(QPalette::Base).lightness() > 100,
                 qPrintable(QString::number(column)));
    }
    const QPalette hint = child(*m_w, "lbl_Hinweis")->palette();
    QVERIFY(qAbs(hint.color(QPalette::WindowText).lightness() - hint.color(QPalette::Window).lightness()) >
            100);
}

QTEST_MAIN(TestHauptform)
#include "tst_hauptform.moc"
