// A card that holds songs: the window's three answers leave it as liedwerk-cli does with
// --yes, with --add, or untouched; the card preview shows the core's plan and writes nothing.
#include "UiTestSupport.h"
#include "card/TransferPlan.h"
#include "platform/Path.h"
#include "support/CliRunner.h"
#include "ui/Hauptform.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QTest>
#include <QTreeWidget>

using namespace lw;
using namespace lw::ui::test;
namespace fs = std::filesystem;

class TestCardPreview : public QObject {
    Q_OBJECT

private slots:
    void cardWithSongs_data() {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<int>("answer"); // replace, add, cancel; -1: the restore file
        QTest::newRow("replace") << false << 0;
        QTest::newRow("add") << false << 1;
        QTest::newRow("cancel") << false << 2;
        QTest::newRow("preview the restore file") << true << -1;
        QTest::newRow("preview replacing") << true << 0;
        QTest::newRow("preview adding") << true << 1;
    }
    void cardWithSongs() {
        QFETCH(bool, preview);
        QFETCH(int, answer);
        WindowFixture fx;
        const fs::path temp = fx.place.path(), card = temp / "card";
        const auto cli = [](const char* sample, const fs::path& to, const char* how) {
            lw::test::runCliInProcess(
                {"transfer", pathToUtf8(samples(sample)), "--card", pathToUtf8(to), "--allow-fixed", how});
        };
        fs::create_directories(card);
        cli("kn5000", card, "--yes");
        // What the card must become: liedwerk-cli's answer on a copy of it.
        fs::copy(card, temp / "expected", fs::copy_options::recursive);
        if (!preview && answer != 2)
            cli("kn2000", temp / "expected", answer == 0 ? "--yes" : "--add");
        fx.drives.drives = {{pathToUtf8(card), card, DriveType::Removable, "SDCARD"}};
        ui::Hauptform w(fx.context);
        w.show();
        openDirectory(w, samples("kn2000"));
        fx.boxes.shown.clear();
        fx.boxes.choices = {answer};
        QStringList shown; // the folders' and the left-out songs' numbers, with the rows below each
        DialogScript script;
        script.actions[QStringLiteral("Transfermode")] = [answer](QDialog& d) {
            click(d, answer < 0 ? "but_Erstelle_Imagedate" : "but_SD_Reader");
        };
        script.actions[QStringLiteral("Select_Cardreader")] = [](QDialog& d) {
            emit d.findChild<QComboBox*>(QStringLiteral("Drive1"))->currentIndexChanged(0); // the card chosen
            click(d, "but_Start");
        };
        script.actions[QStringLiteral("CardPreview")] = [&](QDialog& d) {
            for (const char* table : {"tree_Karte", "list_Ausgelassen"})
                for (const auto* row :
                     d.findChild<QTreeWidget*>(QString::fromLatin1(table))->findItems({}, Qt::MatchContains))
                    shown << row->text(0) + QString::number(row->childCount());
            d.reject();
        };
        if (preview)
            w.findChild<QAction*>(QStringLiteral("mnu_Kartenvorschau"))->trigger();
        else
            w.mnu_Restore_Click();
        QVERIFY(fileTree(card) == fileTree(temp / "expected") && !fs::exists(temp / "RestorSDB"));
        if (answer >= 0) // the question came, naming the card's songs, with its three answers
            QVERIFY(
                fx.boxes.shown.at(preview ? 0 : 1).text.contains(QStringLiteral("7 songs in 5 folders")) &&
                fx.boxes.shown.at(preview ? 0 : 1).answers.size() == 3);
        if (!preview)
            return;
        TransferSetup setup; // the choices made above
        setup.mode = answer < 0 ? OutputMode::RestoreFile : OutputMode::Card;
        setup.cardRoot = card;
        setup.addToCard = answer == 1;
        setup.restoreFile = restoreFilePath(temp);
        setup.recreateRestoreFolder = true;
        const TransferPlan plan =
            planTransfer(fx.fs, w.workingList(), setup, BackupDirectory(fx.fs, w.backupPath()));
        QStringList planned;
        for (const PlannedFolder& f : plan.folders)
            planned << QStringLiteral("%1%2")
                           .arg(f.number, 3, 10, QLatin1Char('0'))
                           .arg(f.existing ? 0 : f.songs);
        for (const PlannedSong& s : plan.songs)
            if (s.fate != PlannedSong::Fate::Transferred)
                planned << QString::fromStdString(s.index) + QLatin1Char('0');
        QCOMPARE(shown, planned);
    }
};

QTEST_MAIN(TestCardPreview)
#include "tst_cardpreview.moc"
