// The transfer from the window, as a person runs it: the transfer button, the set-up
// dialogs, the busy window, cancel, and the files that come out, compared with what
// liedwerk-cli writes for the same list.
#include "SampleBackup.h"
#include "UiTestSupport.h"
#include "cli/Cli.h"
#include "platform/Path.h"
#include "ui/Hauptform.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
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

template <class T>
T* child(QWidget& parent, const QString& name) {
    T* widget = parent.findChild<T*>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

std::vector<char> bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::vector<char>> treeOf(const fs::path& root) {
    std::map<std::string, std::vector<char>> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            out[fs::relative(e.path(), root).generic_string()] = bytesOf(e.path());
    return out;
}

int runCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    CliContext ctx{realFileSystem(), realProgramFolder(), out, err, in, false, nullptr};
    const int status = lw::runCli(args, ctx);
    if (status != 0)
        qWarning("liedwerk-cli: %s", err.str().c_str());
    return status;
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void restoreFileRunWritesWhatTheCommandLineWrites();
    void cardRunWritesWhatTheCommandLineWrites();
    void cancelAfterTheFifthSong();
    void smallSimulatedCardFillsUp();
    void noMarkedSongDoesNothing();
    void cancellingTheCardReaderDialogWritesNothing();

private:
    void load(const fs::path& dir);
    void startTransfer() { child<QPushButton>(*m_w, QStringLiteral("but_Transfer"))->click(); }
    QStringList messageTexts() const;

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

void TestTransfer::load(const fs::path& dir) {
    ListOrderAnswerer answerer(0);
    chooseDirectory(*m_w, dir);
    QCOMPARE(answerer.answered, 1);
    m_fx->boxes.shown.clear();
}

QStringList TestTransfer::messageTexts() const {
    QStringList texts;
    for (const auto& m : m_fx->boxes.shown)
        texts << m.text;
    return texts;
}

void TestTransfer::restoreFileRunWritesWhatTheCommandLineWrites() {
    load(sampleDir("kn5000"));
    DialogScript script;
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_Erstelle_Imagedate"); };
    script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) {
        click(d, "Option1_4"); // 128 MB
        click(d, "but_OK");
    };
    startTransfer();
    QCOMPARE(script.seen, (QStringList{QStringLiteral("Transfermode"), QStringLiteral("SD_Groesse")}));

    const fs::path written = m_temp / "RestorSDB" / "Restore.sdb";
    QVERIFY(fs::exists(written));
    const fs::path expected = m_temp / "cli.sdb";
    QCOMPARE(runCli({"transfer", pathToUtf8(sampleDir("kn5000")), "--restore-file", pathToUtf8(expected),
                     "--card-size", "128"}),
             0);
    QVERIFY(bytesOf(written) == bytesOf(expected));

    const auto& shown = m_fx->boxes.shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].text,
             QStringLiteral("Attention: Only a formatted SD card (on the KN7000) can store the data "
                            "correct! All existing data will be overwritten! "));
    QCOMPARE(shown[0].icon, QMessageBox::Warning);
    QCOMPARE(shown[1].title, QStringLiteral("Info"));
    QCOMPARE(shown[1].text,
             QStringLiteral("The restore file was stored on the path --") + m_fx->temp.path() +
                 QDir::toNativeSeparators(QStringLiteral("/RestorSDB/Restore.sdb")) +
                 QStringLiteral(" --was created. Now start the Song Manager "
                                "for KN program that came with the keyboard and use its RESTORE "
                                "function to transfer the data onto the SD card."));
    // Ready again: one song was not found and stays marked.
    QCOMPARE(m_w->panelText(4), QStringLiteral("1"));
    QCOMPARE(m_w->panelText(8), QStringLiteral("7"));
    QVERIFY(child<QPushButton>(*m_w, QStringLiteral("but_Abbruch"))->isHidden());
    QVERIFY(child<QPushButton>(*m_w, QStringLiteral("but_Transfer"))->isEnabled());
    QVERIFY(child<QTreeView>(*m_w, QStringLiteral("ListView1"))->isEnabled());
    auto* progress = child<QProgressBar>(*m_w, QStringLiteral("ProgressBar1"));
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->value(), 0);
    const auto* list = child<QTreeView>(*m_w, QStringLiteral("ListView1"))->model();
    QCOMPARE(list->index(1, 3).data().toString(), QStringLiteral("OK"));
}

void TestTransfer::cardRunWritesWhatTheCommandLineWrites() {
    const fs::path card = m_temp / "card";
    fs::create_directories(card / "PRIVATE" / "OLD");
    m_fx->drives.drives = {{"/", "/", DriveType::Fixed, "root"},
                           {pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
    load(sampleDir("kn2000"));
    child<QRadioButton>(*m_w, QStringLiteral("Option_Verzeichnisstruktur_1"))->click();
    DialogScript script;
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_SD_Reader"); };
    script.actions[QStringLiteral("Select_Cardreader")] = [](QDialog& d) {
        auto* drives = child<QComboBox>(d, QStringLiteral("Drive1"));
        drives->setCurrentIndex(1);
        emit drives->activated(1);
        click(d, "but_Start");
    };
    startTransfer();
    QCOMPARE(script.seen, (QStringList{QStringLiteral("Transfermode"), QStringLiteral("Select_Cardreader")}));
    QVERIFY(!fs::exists(card / "PRIVATE" / "OLD"));

    const fs::path expected = m_temp / "cli-card";
    fs::create_directories(expected);
    QCOMPARE(runCli({"transfer", pathToUtf8(sampleDir("kn2000")), "--card", pathToUtf8(expected), "--layout",
                     "sequential", "--allow-fixed", "--yes"}),
             0);
    QVERIFY(treeOf(card) == treeOf(expected));
    QCOMPARE(messageTexts().last(), QStringLiteral("The data was saved on the") +
                                        QString::fromStdString(pathToUtf8(card)) + QDir::separator() +
                                        QStringLiteral("drive."));
    // The accepted drive was saved in the settings file.
    QVERIFY(fs::exists(m_temp / "Liedwerk.ini"));
}

void TestTransfer::cancelAfterTheFifthSong() {
    load(sampleDir("kn6000"));
    DialogScript script;
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_Erstelle_Imagedate"); };
    script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) { click(d, "but_OK"); };
    bool busyChecked = false;
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (busyChecked || m_w->panelText(8) != QStringLiteral("5"))
            return;
        busyChecked = true;
        // The busy window: nothing that could start a second run or change the list works.
        QVERIFY(!child<QPushButton>(*m_w, QStringLiteral("but_Transfer"))->isEnabled());
        QVERIFY(!child<QTreeView>(*m_w, QStringLiteral("ListView1"))->isEnabled());
        QVERIFY(!child<QToolButton>(*m_w, QStringLiteral("fpBtnAllOn_Off"))->isEnabled());
        QVERIFY(!child<QMenu>(*m_w, QStringLiteral("m_Ausfuehren"))->isEnabled());
        auto* cancel = child<QPushButton>(*m_w, QStringLiteral("but_Abbruch"));
        QVERIFY(!cancel->isHidden());
        cancel->click();
    });
    watch.start();
    startTransfer();
    watch.stop();
    QVERIFY(busyChecked);
    QVERIFY(messageTexts().contains(QStringLiteral("Would you like to cancel?")));

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    CliContext ctx{realFileSystem(), realProgramFolder(), out, err, in, false, nullptr};
    QCOMPARE(lw::runCli({"inspect", pathToUtf8(m_temp / "RestorSDB" / "Restore.sdb"), "--json"}, ctx), 0);
    const std::string json = out.str();
    std::size_t songs = 0;
    for (std::size_t at = json.find("\"slot\""); at != std::string::npos; at = json.find("\"slot\"", at + 1))
        ++songs;
    QCOMPARE(songs, std::size_t{5});
    QCOMPARE(m_w->panelText(4), QStringLiteral("5")); // ten marked, five written
}

void TestTransfer::smallSimulatedCardFillsUp() {
    samples::writeSampleBackup(samples::fullBackup(KeyboardKind::KN5000, 4, {".SQT"}, 3'000'000),
                               m_temp / "big");
    load(m_temp / "big");
    DialogScript script;
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_Erstelle_Imagedate"); };
    script.actions[QStringLiteral("SD_Groesse")] = [](QDialog& d) {
        click(d, "Option1_0"); // 8 MB
        click(d, "but_OK");
    };
    startTransfer();
    const QStringList texts = messageTexts();
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts[1],
             QStringLiteral("There is no free space on the SD card. No further songs can be transferred."));
    QVERIFY(texts[2].startsWith(QStringLiteral("The restore file was stored on the path --")));
    QCOMPARE(m_w->panelText(8), QStringLiteral("1"));
}

void TestTransfer::noMarkedSongDoesNothing() {
    load(sampleDir("kn3000"));
    child<QToolButton>(*m_w, QStringLiteral("fpBtnAllOn_Off"))->click();
    QCOMPARE(m_w->panelText(4), QStringLiteral("0"));
    DialogScript script;
    startTransfer();
    QTest::qWait(30);
    QVERIFY(m_fx->boxes.shown.isEmpty());
    QVERIFY(script.seen.isEmpty());
    QVERIFY(!fs::exists(m_temp / "RestorSDB"));
}

void TestTransfer::cancellingTheCardReaderDialogWritesNothing() {
    const fs::path card = m_temp / "card";
    fs::create_directories(card);
    m_fx->drives.drives = {{pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
    load(sampleDir("kn5000"));
    DialogScript script;
    script.actions[QStringLiteral("Transfermode")] = [](QDialog& d) { click(d, "but_SD_Reader"); };
    script.actions[QStringLiteral("Select_Cardreader")] = [](QDialog& d) { click(d, "but_Abbruch"); };
    startTransfer();
    QCOMPARE(script.seen.size(), 2);
    QCOMPARE(m_fx->boxes.shown.size(), 1); // message 44 only
    QVERIFY(fs::is_empty(card));
    QCOMPARE(m_w->panelText(4), QStringLiteral("8"));
    QVERIFY(child<QPushButton>(*m_w, QStringLiteral("but_Abbruch"))->isHidden());
    QVERIFY(child<QProgressBar>(*m_w, QStringLiteral("ProgressBar1"))->isHidden());
}

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
