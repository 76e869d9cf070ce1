// The main window driven as a person would: choosing directories in the tree, answering
// the questions, clicking marks, renaming, switching the language and resizing.
#include "SampleBackup.h"
#include "UiTestSupport.h"
#include "platform/Path.h"
#include "ui/Hauptform.h"
#include "ui/Twips.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

namespace {

const QString kQuestionText = QStringLiteral(
    "A Backup was found on the select directory path.\rShall the backup be charged for processing?");

template <class T>
T* child(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

bool shown(QWidget& window, const char* name) {
    return !child<QWidget>(window, name)->isHidden();
}

} // namespace

class TestHauptform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsInDesignState();
    void loadsEachSample_data();
    void loadsEachSample();
    void answeringNoLeavesTheListEmpty();
    void directoryWithoutBackupEmptiesALoadedList();
    void managerIniBesideKn5000IsNotOffered();
    void missingTableTakesTheFailurePath();
    void shortTableLoadsWithAWarning();
    void spaceEstimate_data();
    void spaceEstimate();
    void spaceEstimateErrorTakesTheFailurePath();
    void closeBoxKeepsTheLastListOrder();
    void marksFollowClicksAndAllMarksButton();
    void renameThroughTheEditor();
    void commandButtonsAndTransferMenu();
    void languageSwitchRelabelsTheWindow();
    void widthIsFixedAndHeightIsFollowed();
    void driveThatCannotBeOpened_data();
    void driveThatCannotBeOpened();
    void choosingADriveLoadsTheBackupAtItsRoot();

private:
    // Chooses the directory and presses the list-order button (0 standard, 1 alphabetical).
    void load(const std::filesystem::path& dir, int order);
    void toggleMark(int row);
    int rowOf(const char* number, bool folder);

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

void TestHauptform::load(const std::filesystem::path& dir, int order) {
    ListOrderAnswerer answerer(order);
    chooseDirectory(*m_w, dir);
    QCOMPARE(answerer.answered, 1);
}

void TestHauptform::toggleMark(int row) {
    auto* list = child<QTreeView>(*m_w, "ListView1");
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Space);
}

int TestHauptform::rowOf(const char* number, bool folder) {
    const WorkingList& list = m_w->workingList();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.row(i).number == number && list.row(i).isFolder() == folder)
            return static_cast<int>(i);
    return -1;
}

void TestHauptform::startsInDesignState() {
    QCOMPARE(m_w->windowTitle(), QStringLiteral("Liedwerk KN2000/3000/3500/5000/6000/6500 to KN7000"));
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    QVERIFY(shown(*m_w, "ListView1"));
    QVERIFY(shown(*m_w, "but_Transfer"));
    for (const char* hidden : {"but_Abbruch", "fpBtnAllOn_Off", "ProgressBar1",
                               "Option_Verzeichnisstruktur_0", "Option_Verzeichnisstruktur_1"})
        QVERIFY2(!shown(*m_w, hidden), hidden);
    QVERIFY(child<QRadioButton>(*m_w, "Option_Verzeichnisstruktur_0")->isChecked());
    QCOMPARE(m_w->panelText(1), QStringLiteral("available songs"));
    QCOMPARE(m_w->panelText(2), QStringLiteral("----"));
    QCOMPARE(m_w->panelText(6), QStringLiteral("---------"));
    QCOMPARE(m_w->panelText(7), QStringLiteral("Übertragene Songs"));
    QCOMPARE(child<QLabel>(*m_w, "lbl_Hinweis")->text(),
             QStringLiteral("Select the directory path with the backup data. "));
    // The home folder first, then the drives.
    auto* drives = child<QComboBox>(*m_w, "Drive1");
    QCOMPARE(drives->count(), 3);
    QCOMPARE(drives->currentIndex(), 0);
    QCOMPARE(m_w->treePath(), QDir::cleanPath(m_fx->temp.path()));
    QVERIFY(m_fx->boxes.shown.isEmpty());
}

void TestHauptform::loadsEachSample_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("kindText");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("songs");
    QTest::addColumn<int>("row"); // a row to look at
    QTest::addColumn<QStringList>("cells");

    const auto cells = [](std::initializer_list<const char*> texts) {
        QStringList list;
        for (const char* t : texts)
            list << QString::fromUtf8(t);
        return list;
    };
    QTest::newRow("KN2000 standard") << "kn2000" << 0 << "KN2000" << 47 << 7 << 1
                                     << cells({"Moonlit Harbour", "01", "Moonlit Harbour", "", "0101"});
    QTest::newRow("KN3000 standard") << "kn3000" << 0 << "KN3000" << 102 << 6 << 1
                                     << cells({"Thunder Road Boo", "01", "Thunder Road Boogie", "", "0101"});
    QTest::newRow("KN3000 alphabetical") << "kn3000" << 1 << "KN3000" << 6 << 6 << 0
                                         << cells({"Highway Drive", "001-02", "Highway Drive", "", "0102"});
    QTest::newRow("KN5000 standard") << "kn5000" << 0 << "KN5000" << 128 << 8 << 0
                                     << cells({"Ouvertüre", "001", "", "", ""});
    QTest::newRow("KN5000 alphabetical")
        << "kn5000" << 1 << "KN5000" << 8 << 8 << 7
        << cells({"Valse à trois te", "005-02", "Valse à trois temps", "", "00502"});
    QTest::newRow("KN6000 standard") << "kn6000" << 0 << "KN6000/6500" << 250 << 10 << 249
                                     << cells({"Final Bow", "16", "Final Bow", "", "24016"});
}

void TestHauptform::loadsEachSample() {
    QFETCH(QString, kind);
    QFETCH(int, order);
    QFETCH(QString, kindText);
    QFETCH(int, rows);
    QFETCH(int, songs);
    QFETCH(int, row);
    QFETCH(QStringList, cells);

    load(sampleDir(kind.toStdString()), order);

    QCOMPARE(m_fx->boxes.shown.size(), 1);
    const ShownMessage& question = m_fx->boxes.shown.first();
    QCOMPARE(question.text, kQuestionText);
    QCOMPARE(question.title, QStringLiteral("Question"));
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);

    auto* model = child<QTreeView>(*m_w, "ListView1")->model();
    QCOMPARE(model->rowCount(), rows);
    for (int column = 0; column < cells.size(); ++column)
        QCOMPARE(model->index(row, column).data().toString(), cells[column]);
    QCOMPARE(m_w->panelText(2), QString::number(songs));
    QCOMPARE(m_w->panelText(4), QString::number(songs));
    QCOMPARE(m_w->panelText(6), kindText);
    QCOMPARE(QString::fromStdString(m_w->knTypeText()), kindText);
    QCOMPARE(QString::fromStdString(m_w->backupPath()),
             QDir::toNativeSeparators(toQString(sampleDir(kind.toStdString())) + QStringLiteral("/")));

    QVERIFY(!shown(*m_w, "lbl_Hinweis"));
    QVERIFY(shown(*m_w, "fpBtnAllOn_Off"));
    QVERIFY(shown(*m_w, "but_Transfer"));
    QVERIFY(!shown(*m_w, "ProgressBar1"));
    QCOMPARE(child<QProgressBar>(*m_w, "ProgressBar1")->value(), 0);
    QCOMPARE(shown(*m_w, "Option_Verzeichnisstruktur_0"), order == 0);
    QCOMPARE(shown(*m_w, "Option_Verzeichnisstruktur_1"), order == 0);
    QCOMPARE(child<QRadioButton>(*m_w, "Option_Verzeichnisstruktur_1")->isChecked(), order == 1);
    QCOMPARE(m_w->keepDirectoryStructure(), order == 0);
}

void TestHauptform::answeringNoLeavesTheListEmpty() {
    load(sampleDir("kn5000"), 0);
    m_fx->boxes.answers = {QMessageBox::No};
    ListOrderAnswerer answerer(0);
    chooseDirectory(*m_w, sampleDir("kn6000"));
    QCOMPARE(answerer.answered, 0);
    QCOMPARE(m_fx->boxes.shown.size(), 2);
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 0);
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    QVERIFY(!shown(*m_w, "fpBtnAllOn_Off"));
    QCOMPARE(m_w->panelText(2), QStringLiteral("----"));
    QCOMPARE(m_w->panelText(4), QStringLiteral("----"));
    QCOMPARE(m_w->panelText(6), QStringLiteral("---------"));
    // The options and the transfer button keep what the last load gave them.
    QVERIFY(shown(*m_w, "Option_Verzeichnisstruktur_0"));
    QVERIFY(shown(*m_w, "but_Transfer"));
}

void TestHauptform::directoryWithoutBackupEmptiesALoadedList() {
    load(sampleDir("kn2000"), 1);
    chooseDirectory(*m_w, sourceDir() / "samples");
    QCOMPARE(m_fx->boxes.shown.size(), 1); // only the first load's question
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 0);
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    QVERIFY(!shown(*m_w, "fpBtnAllOn_Off"));
    QCOMPARE(m_w->panelText(4), QStringLiteral("----"));
    QVERIFY(!shown(*m_w, "Option_Verzeichnisstruktur_0")); // hidden by the alphabetical load
}

void TestHauptform::managerIniBesideKn5000IsNotOffered() {
    const std::filesystem::path dir =
        pathFromUtf8(m_fx->temp.filePath(QStringLiteral("managed")).toStdString());
    samples::SampleBackup backup = samples::shippedSamples()[2];
    samples::writeSampleBackup(backup, dir);
    QFile ini(toQString(dir / "Manager.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.close();
    chooseDirectory(*m_w, dir);
    QVERIFY(m_fx->boxes.shown.isEmpty());
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 0);
}

void TestHauptform::missingTableTakesTheFailurePath() {
    load(sampleDir("kn5000"), 0); // options shown by a standard list
    // A KN3000 backup is recognised by filedir.dat, but its song table is missing.
    const QString dir = m_fx->temp.filePath(QStringLiteral("broken"));
    QVERIFY(QDir().mkpath(dir));
    QFile marker(dir + QStringLiteral("/filedir.dat"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();

    ListOrderAnswerer answerer(0);
    chooseDirectory(*m_w, dir);
    QCOMPARE(answerer.answered, 0);
    QCOMPARE(m_fx->boxes.shown.size(), 3);
    const ShownMessage& error = m_fx->boxes.shown.last();
    QCOMPARE(error.icon, QMessageBox::Critical);
    QCOMPARE(error.title, QStringLiteral("Error"));
    QVERIFY2(error.text.startsWith(QStringLiteral("The file system data couldn't be readed.\r")),
             qPrintable(error.text));
    QVERIFY2(error.text.contains(QStringLiteral("Filenew.dat")), qPrintable(error.text));

    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 0);
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    QVERIFY(!shown(*m_w, "fpBtnAllOn_Off"));
    QVERIFY(!shown(*m_w, "ProgressBar1"));
    QVERIFY(!shown(*m_w, "Option_Verzeichnisstruktur_0"));
    QVERIFY(!shown(*m_w, "Option_Verzeichnisstruktur_1"));
    QCOMPARE(QString::fromStdString(m_w->knTypeText()), QStringLiteral("KN3000"));
    QCOMPARE(QString::fromStdString(m_w->backupPath()), QDir::toNativeSeparators(dir + QStringLiteral("/")));
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestHauptform::shortTableLoadsWithAWarning() {
    const std::filesystem::path dir =
        pathFromUtf8(m_fx->temp.filePath(QStringLiteral("short")).toStdString());
    samples::writeSampleBackup(samples::shippedSamples()[2], dir);
    std::filesystem::resize_file(dir / "Fileblk.dat", 76 * 100); // 100 of 1920 song records

    m_fx->setLanguage("1");
    load(dir, 0);
    QCOMPARE(m_fx->boxes.shown.size(), 2);
    const ShownMessage& warning = m_fx->boxes.shown.last();
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QVERIFY2(warning.text.startsWith(QStringLiteral("Die Tabellendatei ") +
                                     QDir::toNativeSeparators(toQString(dir / "Fileblk.dat"))),
             qPrintable(warning.text));
    QCOMPARE(m_w->panelText(2), QStringLiteral("7")); // song 12016 lay beyond the cut
}

void TestHauptform::spaceEstimate_data() {
    QTest::addColumn<qulonglong>("directoryBytes");
    QTest::addColumn<qulonglong>("freeBytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("megabytes"); // empty: no warning

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("just too little, English")
        << 3000000ull << 6020999ull << english << QStringLiteral("6.021");
    QTest::newRow("just too little, German") << 3000000ull << 6020999ull << german << QStringLiteral("6,021");
    QTest::newRow("exactly enough") << 3000000ull << 6021000ull << english << QString();
    // Beyond 1 GiB the estimate is still worked out, in 64 bits.
    QTest::newRow("3 GB, English") << 3000000000ull << 1000ull << english << QStringLiteral("6,021.000");
    QTest::newRow("3 GB, German") << 3000000000ull << 1000ull << german << QStringLiteral("6.021,000");
}

void TestHauptform::spaceEstimate() {
    QFETCH(qulonglong, directoryBytes);
    QFETCH(qulonglong, freeBytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, megabytes);
    QLocale::setDefault(locale);
    m_fx->fs.directoryBytes = directoryBytes;
    m_fx->fs.freeBytes = freeBytes;

    load(sampleDir("kn2000"), 0);
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 47);
    if (megabytes.isEmpty()) {
        QCOMPARE(m_fx->boxes.shown.size(), 1);
        return;
    }
    QCOMPARE(m_fx->boxes.shown.size(), 2);
    const ShownMessage& warning = m_fx->boxes.shown.last();
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QCOMPARE(warning.title, QStringLiteral("Info"));
    // The drive of the program's folder: its letter on Windows, the mount point holding it
    // ("/" of the fake drive list) elsewhere.
#ifdef _WIN32
    const QString programDrive = QDir::toNativeSeparators(m_fx->temp.path()).left(3);
#else
    const QString programDrive = QStringLiteral("/");
#endif
    QCOMPARE(
        warning.text,
        QStringLiteral("If you plan to transfer all the files to the selected SD card, please note that the "
                       "size of the SD card ") +
            programDrive + QStringLiteral("is to small. The estimated SD card size is") + megabytes +
            QStringLiteral("Megabyte.If you transfer the data direct to de SD card adapter, the message is "
                           "meaningless."));
}

void TestHauptform::spaceEstimateErrorTakesTheFailurePath() {
    m_fx->fs.directorySizeError =
        Status::error(ErrorCode::PermissionDenied, "/x/locked", "Permission denied", 13);
    load(sampleDir("kn5000"), 0);
    QCOMPARE(m_fx->boxes.shown.size(), 2);
    const ShownMessage& error = m_fx->boxes.shown.last();
    QCOMPARE(error.icon, QMessageBox::Critical);
    QCOMPARE(error.text, QStringLiteral("The file system data couldn't be readed.\r") +
                             QDir::toNativeSeparators(QStringLiteral("/x/locked")) +
                             QStringLiteral(": Permission denied"));
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 0);
    QCOMPARE(m_w->panelText(4), QStringLiteral("----"));
    QVERIFY(shown(*m_w, "lbl_Hinweis"));
    QVERIFY(!shown(*m_w, "fpBtnAllOn_Off"));
}

void TestHauptform::closeBoxKeepsTheLastListOrder() {
    load(sampleDir("kn3000"), -1); // closed on the first time: standard
    QCOMPARE(m_w->workingList().order(), ListOrder::Standard);
    load(sampleDir("kn5000"), 1);
    QCOMPARE(m_w->workingList().order(), ListOrder::Alphabetical);
    load(sampleDir("kn6000"), -1);
    QCOMPARE(m_w->workingList().order(), ListOrder::Alphabetical);
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->model()->rowCount(), 10);
    QVERIFY(!shown(*m_w, "Option_Verzeichnisstruktur_1"));
}

void TestHauptform::marksFollowClicksAndAllMarksButton() {
    load(sampleDir("kn5000"), 0);
    const int folder = rowOf("003", true); // two songs
    toggleMark(folder);
    QCOMPARE(m_w->panelText(4), QStringLiteral("6"));
    toggleMark(folder);
    QCOMPARE(m_w->panelText(4), QStringLiteral("8"));
    toggleMark(folder + 1);
    QCOMPARE(m_w->panelText(4), QStringLiteral("7"));
    QCOMPARE(m_w->panelText(2), QStringLiteral("8"));

    auto* allMarks = child<QToolButton>(*m_w, "fpBtnAllOn_Off");
    QTest::mouseClick(allMarks, Qt::LeftButton);
    QVERIFY(allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("0"));
    // Three songs marked by hand, then all marks on: the count of songs, not more.
    toggleMark(folder + 1);
    toggleMark(folder + 2);
    toggleMark(rowOf("002", true) + 1);
    QCOMPARE(m_w->panelText(4), QStringLiteral("3"));
    QVERIFY(m_w->workingList().row(static_cast<std::size_t>(folder)).marked);
    QTest::mouseClick(allMarks, Qt::LeftButton);
    QVERIFY(!allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("8"));

    // The button's state outlives a new list: pressed now, its next press marks everything.
    QTest::mouseClick(allMarks, Qt::LeftButton);
    load(sampleDir("kn2000"), 0);
    QVERIFY(allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("7"));
    QTest::mouseClick(allMarks, Qt::LeftButton);
    QVERIFY(!allMarks->isChecked());
    QCOMPARE(m_w->panelText(4), QStringLiteral("7"));
}

void TestHauptform::renameThroughTheEditor() {
    load(sampleDir("kn6000"), 0);
    auto* list = child<QTreeView>(*m_w, "ListView1");
    const auto rename = [&](int row, const QString& typed) {
        list->setCurrentIndex(list->model()->index(row, 0));
        QTest::keyClick(list, Qt::Key_F2);
        auto* editor = list->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        for (const QChar c : typed) {
            if (c.unicode() < 0x80)
                QTest::keyClick(editor, c.toLatin1());
            else // typed through a keyboard layout that has the letter
                QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(list->viewport()->findChild<QLineEdit*>() == nullptr); // committed, editor closed
    };
    rename(1, QStringLiteral("Curtain Up Reprise"));
    QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("Curtain Up Repri"));
    QCOMPARE(m_w->workingList().row(1).text, std::string("Curtain Up Repri"));
    rename(2, QStringLiteral("Ωverture"));
    QCOMPARE(m_w->workingList().row(2).text, std::string("?verture"));
}

void TestHauptform::commandButtonsAndTransferMenu() {
    QSignalSpy transfer(m_w.get(), &Hauptform::transferRequested);
    auto* button = child<QPushButton>(*m_w, "but_Transfer");
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("OK")); // the pressed-down text
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("Transfer start"));
    m_w->findChild<QAction*>(QStringLiteral("mnu_Restore"))->trigger();
    QCOMPARE(transfer.count(), 2);

    QVERIFY(!m_w->cancelRequested());
    child<QPushButton>(*m_w, "but_Abbruch")->click();
    QVERIFY(m_w->cancelRequested());
}

void TestHauptform::languageSwitchRelabelsTheWindow() {
    load(sampleDir("kn6000"), 0);
    m_fx->setLanguage("1");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(m_w.get(), &activate);

    QCOMPARE(child<QMenu>(*m_w, "m_Programm")->title(), QStringLiteral("&Programm"));
    QCOMPARE(child<QMenu>(*m_w, "m_Ausfuehren")->title(), QStringLiteral("&Ausführen"));
    QCOMPARE(child<QMenu>(*m_w, "m_Hilfe")->title(), QStringLiteral("Hilfe"));
    QCOMPARE(m_w->findChild<QAction*>(QStringLiteral("mnu_Sprachwahl"))->text(),
             QStringLiteral("&Sprachwahl"));
    QCOMPARE(m_w->findChild<QAction*>(QStringLiteral("mnu_Beenden"))->text(), QStringLiteral("&Beenden"));
    QCOMPARE(m_w->findChild<QAction*>(QStringLiteral("mnu_Restore"))->text(),
             QStringLiteral("&Transfer ausführen"));
    QCOMPARE(m_w->findChild<QAction*>(QStringLiteral("mnu_Internet"))->text(), QStringLiteral("&Internet"));
    auto* header = child<QTreeView>(*m_w, "ListView1")->header();
    QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("          Verz./Songname KN7000"));
    QCOMPARE(header->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Songname"));
    QCOMPARE(m_w->panelText(1), QStringLiteral("Vorhandene Songs"));
    QCOMPARE(m_w->panelText(3), QStringLiteral("Selektierte Songs"));
    QCOMPARE(m_w->panelText(5), QStringLiteral("Gerätetyp"));
    QCOMPARE(m_w->panelText(2), QStringLiteral("10"));
    QCOMPARE(child<QPushButton>(*m_w, "but_Transfer")->text(), QStringLiteral("Transfer ausführen"));
    QCOMPARE(child<QPushButton>(*m_w, "but_Abbruch")->text(), QStringLiteral("Abbruch"));
    QCOMPARE(child<QRadioButton>(*m_w, "Option_Verzeichnisstruktur_0")->text(),
             QStringLiteral("Verzeichnisstruktur beibehalten"));
    QCOMPARE(child<QLabel>(*m_w, "Label1")->text(), QStringLiteral("Backuppfad"));
    QCOMPARE(child<QTreeView>(*m_w, "Dir1")->toolTip(), QStringLiteral("Selektion des Datenverzeichnisses"));
    QCOMPARE(child<QToolButton>(*m_w, "fpBtnAllOn_Off")->toolTip(),
             QStringLiteral("Alle Markierungen Ein/Aus"));
}

void TestHauptform::widthIsFixedAndHeightIsFollowed() {
    m_w->resize(900, 200);
    QCOMPARE(m_w->size(), QSize(px(Hauptform::kWidth), px(Hauptform::kMinHeight)));
    m_w->resize(400, 900);
    QCOMPARE(m_w->size(), QSize(px(Hauptform::kWidth), 900));
    QCoreApplication::processEvents();
    const int h = twips(m_w->centralWidget()->height());
    QCOMPARE(child<QTreeView>(*m_w, "ListView1")->geometry(), twipsRect(2940, 600, 7185, h - 600 - 650));
    QCOMPARE(child<QWidget>(*m_w, "FrameBackuppfad")->geometry(), twipsRect(120, 510, 2715, h - 510 - 650));
    QCOMPARE(child<QWidget>(*m_w, "Dir1")->height(), px(h - 510 - 650 - 1000));
    QCOMPARE(child<QWidget>(*m_w, "ProgressBar1")->y(), px(h - 600 - 650 + 700));
    QCOMPARE(child<QWidget>(*m_w, "lbl_Hinweis")->geometry(), twipsRect(3570, 2100, 5985, 2445));
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
    chooseDirectory(*m_w, sourceDir() / "samples");
    const QString before = m_w->treePath();

    m_fx->drives.drives.pop_back(); // the card is gone by the time the list is read again
    drives->setCurrentIndex(3);
    emit drives->activated(3);

    QCOMPARE(m_fx->boxes.shown.size(), 1);
    QCOMPARE(m_fx->boxes.shown.last().text, text);
    QCOMPARE(m_fx->boxes.shown.last().icon, QMessageBox::NoIcon);
    QCOMPARE(m_w->treePath(), before);
    QCOMPARE(drives->count(), 3);
    QCOMPARE(drives->currentIndex(), 0);
}

void TestHauptform::choosingADriveLoadsTheBackupAtItsRoot() {
    m_fx->drives.drives.push_back({"kn5000", sampleDir("kn5000"), DriveType::Removable, {}});
    m_w = std::make_unique<Hauptform>(m_fx->context);
    auto* drives = child<QComboBox>(*m_w, "Drive1");
    QCOMPARE(drives->count(), 4);
    ListOrderAnswerer answerer(1);
    drives->setCurrentIndex(3);
    emit drives->activated(3);
    QCOMPARE(answerer.answered, 1);
    QCOMPARE(m_w->treePath(), QDir::cleanPath(toQString(sampleDir("kn5000"))));
    QCOMPARE(m_w->panelText(2), QStringLiteral("8"));
}

QTEST_MAIN(TestHauptform)
#include "tst_hauptform.moc"
