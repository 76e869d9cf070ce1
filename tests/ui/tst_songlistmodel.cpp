// The song list model over the working list: cells, roles and the forwarding of marks
// and renames to the list, checked against Qt's model rules.
#include "UiTestSupport.h"
#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "platform/Path.h"
#include "ui/SongListModel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

using namespace lw;
using namespace lw::ui;
using namespace lw::ui::test;

class TestSongListModel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void followsModelRulesThroughChanges();
    void columnTitlesAndAlignment_data();
    void columnTitlesAndAlignment();
    void folderAndSongRowsLookAsBuilt();
    void checkingAFolderRowCarriesToItsSongs();
    void renameCutsAndReplaces_data();
    void renameCutsAndReplaces();
    void editorTakesSixteenCharacters();
    void transferColumnShowsResultInCurrentLanguage();
    void onlyTheNameColumnIsCheckableAndEditable();

private:
    void build(const std::string& kind, ListOrder order);
    int rowOf(const char* number, bool folder) const;

    std::unique_ptr<WindowFixture> m_fx;
    std::unique_ptr<WorkingList> m_list;
    std::unique_ptr<SongListModel> m_model;
};

void TestSongListModel::init() {
    m_fx = std::make_unique<WindowFixture>();
    m_list = std::make_unique<WorkingList>();
    m_model = std::make_unique<SongListModel>(*m_list, m_fx->localisation);
}

void TestSongListModel::cleanup() {
    m_model.reset();
    m_list.reset();
    m_fx.reset();
}

void TestSongListModel::build(const std::string& kind, ListOrder order) {
    const Recognition r = recognizeBackup(realFileSystem(), pathToUtf8(sampleDir(kind)));
    QVERIFY(r.outcome == RecognitionOutcome::Recognised);
    auto tables = readBackupTables(realFileSystem(), *r.format, r.directory);
    QVERIFY(tables.isOk());
    if (order == ListOrder::Standard)
        m_list->Liste_erstellen(*r.format, tables->folders, tables->songs);
    else
        m_list->Liste_erstellen_Alphabetisch(*r.format, tables->songs);
}

int TestSongListModel::rowOf(const char* number, bool folder) const {
    for (std::size_t i = 0; i < m_list->size(); ++i)
        if (m_list->row(i).number == number && m_list->row(i).isFolder() == folder)
            return static_cast<int>(i);
    return -1;
}

void TestSongListModel::followsModelRulesThroughChanges() {
    QAbstractItemModelTester tester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    build("kn5000", ListOrder::Standard);
    QCOMPARE(m_model->rowCount(), 128); // 120 folder rows and 8 songs
    QCOMPARE(m_model->columnCount(), 6);
    m_model->setData(m_model->index(rowOf("003", true), 0), Qt::Unchecked, Qt::CheckStateRole);
    m_model->setData(m_model->index(1, 0), QStringLiteral("Renamed"), Qt::EditRole);
    m_list->pressAllMarks();
    build("kn3000", ListOrder::Alphabetical);
    QCOMPARE(m_model->rowCount(), 6);
    m_list->clear();
    QCOMPARE(m_model->rowCount(), 0);
}

void TestSongListModel::columnTitlesAndAlignment_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("alignment");
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    const int centre = Qt::AlignHCenter | Qt::AlignVCenter;
    QTest::newRow("name") << 0 << QStringLiteral("           Dir./Song name KN7000") << left;
    QTest::newRow("number") << 1 << QStringLiteral("No.") << centre;
    QTest::newRow("song name") << 2 << QStringLiteral("Song name") << left;
    QTest::newRow("transfer") << 3 << QStringLiteral("Transfer") << centre;
    QTest::newRow("index") << 4 << QStringLiteral("Index") << centre;
    QTest::newRow("sufix") << 5 << QStringLiteral("Sufix") << left;
}

void TestSongListModel::columnTitlesAndAlignment() {
    QFETCH(int, column);
    QFETCH(QString, title);
    QFETCH(int, alignment);
    build("kn6000", ListOrder::Standard);
    QCOMPARE(m_model->headerData(column, Qt::Horizontal).toString(), title);
    QCOMPARE(
        m_model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>().toInt(),
        alignment);
    QCOMPARE(m_model->index(1, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>().toInt(), alignment);
}

void TestSongListModel::folderAndSongRowsLookAsBuilt() {
    build("kn5000", ListOrder::Standard);
    // Folder 2 "Café Lieder" and its song "Café Noir" in place 2.
    const int folder = rowOf("002", true);
    const int song = folder + 1;
    QCOMPARE(m_model->index(folder, 0).data().toString(), QStringLiteral("Café Lieder"));
    QCOMPARE(m_model->index(song, 0).data().toString(), QStringLiteral("Café Noir"));
    QCOMPARE(m_model->index(song, 1).data().toString(), QStringLiteral("02"));
    QCOMPARE(m_model->index(song, 4).data().toString(), QStringLiteral("00202"));

    QVERIFY(m_model->index(folder, 0).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(m_model->index(folder, 1).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!m_model->index(folder, 2).data(Qt::FontRole).isValid());
    QVERIFY(!m_model->index(song, 0).data(Qt::FontRole).isValid());

    QCOMPARE(m_model->index(song, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    QCOMPARE(m_model->index(song, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 128));
    QCOMPARE(m_model->index(song, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 128));
    QVERIFY(!m_model->index(song, 3).data(Qt::ForegroundRole).isValid());
    QCOMPARE(m_model->index(song, 4).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));

    const auto iconKey = [this](int row) {
        return m_model->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    QCOMPARE(iconKey(folder), m_model->icon(kIconFolder).cacheKey());
    QCOMPARE(iconKey(song), m_model->icon(kIconMarkedSong).cacheKey());
    QCOMPARE(m_model->index(song, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    m_model->setData(m_model->index(song, 0), Qt::Unchecked, Qt::CheckStateRole);
    QCOMPARE(iconKey(song), m_model->icon(kIconUnmarkedSong).cacheKey());
    QCOMPARE(m_model->index(song, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

void TestSongListModel::checkingAFolderRowCarriesToItsSongs() {
    build("kn5000", ListOrder::Standard);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy counters(m_model.get(), &SongListModel::countersChanged);
    const int folder = rowOf("003", true); // "My Folder" with songs in places 1 and 5
    QVERIFY(m_model->setData(m_model->index(folder, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(m_list->selectedCount(), 6);
    QCOMPARE(counters.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), folder);
    QCOMPARE(changed[0][1].toModelIndex().row(), folder + 2);
    QCOMPARE(m_model->index(folder + 2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(m_model->index(folder + 3, 0).data(Qt::CheckStateRole).toInt(),
             int(Qt::Unchecked)); // next folder

    // Marking one song marks its folder row again, not its sibling.
    QVERIFY(m_model->setData(m_model->index(folder + 2, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(m_model->index(folder, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(m_model->index(folder + 1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(m_list->selectedCount(), 7);
}

void TestSongListModel::renameCutsAndReplaces_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("18 characters") << QStringLiteral("Eighteen chars ABC")
                                   << QStringLiteral("Eighteen chars A");
    QTest::newRow("outside Windows-1252") << QStringLiteral("Ωmega Ünd €") << QStringLiteral("?mega Ünd €");
    QTest::newRow("empty") << QString() << QString();
}

void TestSongListModel::renameCutsAndReplaces() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    build("kn2000", ListOrder::Standard);
    QVERIFY(m_model->setData(m_model->index(1, 0), typed, Qt::EditRole));
    QCOMPARE(m_model->index(1, 0).data().toString(), shown);
    QCOMPARE(m_model->index(1, 2).data().toString(), QStringLiteral("Moonlit Harbour")); // the name as read
}

void TestSongListModel::editorTakesSixteenCharacters() {
    build("kn2000", ListOrder::Standard);
    QTreeView view;
    view.setModel(m_model.get());
    SongNameDelegate delegate;
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(delegate.createEditor(view.viewport(), option, m_model->index(1, 0)));
    auto* line = qobject_cast<QLineEdit*>(editor.get());
    QVERIFY(line);
    QCOMPARE(line->maxLength(), 16);
}

void TestSongListModel::transferColumnShowsResultInCurrentLanguage() {
    build("kn6000", ListOrder::Standard);
    m_list->setResult(1, 75);
    QCOMPARE(m_model->index(1, 3).data().toString(), QStringLiteral("No entry"));
    QCOMPARE(m_model->index(2, 3).data().toString(), QString());

    QSignalSpy headers(m_model.get(), &QAbstractItemModel::headerDataChanged);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_fx->setLanguage("1");
    m_model->retranslate();
    QCOMPARE(headers.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_model->index(1, 3).data().toString(), QStringLiteral("Kein Eintrag"));
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("          Verz./Songname KN7000"));
    QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nr."));
    QCOMPARE(m_model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Transfer"));
}

void TestSongListModel::onlyTheNameColumnIsCheckableAndEditable() {
    build("kn3000", ListOrder::Standard);
    QVERIFY(m_model->flags(m_model->index(1, 0)).testFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEditable));
    for (int column = 1; column < 6; ++column) {
        const Qt::ItemFlags f = m_model->flags(m_model->index(1, column));
        QVERIFY(!f.testFlag(Qt::ItemIsEditable) && !f.testFlag(Qt::ItemIsUserCheckable));
        QVERIFY(!m_model->setData(m_model->index(1, column), QStringLiteral("x"), Qt::EditRole));
    }
    QCOMPARE(m_model->index(1, 1).data().toString(), QStringLiteral("01"));
}

QTEST_MAIN(TestSongListModel)
#include "tst_songlistmodel.moc"
