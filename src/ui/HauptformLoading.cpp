// Loading a backup from the window: the core's loading with the window's two questions
// (load it? which order?), its progress bar and hourglass, then the warnings of a short
// table and of too little room for a restore file.
#include "backup/BackupLoad.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"
#include "ui/DialogListe.h"
#include "ui/Hauptform.h"
#include "ui/dialogs/UiText.h"
#include "ui/dialogs/WindowTexts.h"

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QToolButton>

namespace lw::ui {

// The window's side of loading: its questions as message box and dialog, its progress
// bar and mouse pointer as the loading goes on.
class Hauptform::LoadingQuestions : public LoadQuestions {
public:
    explicit LoadingQuestions(Hauptform& window) : m_w(window) {}
    bool confirmLoad(const BackupFormat&) override {
        Localisation& loc = m_w.m_ctx.localisation;
        return m_w.m_ctx.messageBoxes.question(&m_w, message(loc, msg::kQuestionTitle),
                                               message(loc, msg::kBackupFound) + QChar(u'\r') +
                                                   message(loc, msg::kLoadBackupQuestion)) ==
               QMessageBox::Yes;
    }
    ListOrder askOrder() override {
        DialogListe::ask(&m_w, m_w.m_ctx.localisation, m_w.m_listOrderChoice);
        return m_w.m_listOrderChoice != 0 ? ListOrder::Alphabetical : ListOrder::Standard;
    }
    void reached(int step) override {
        switch (step) {
        case 1: // reading the tables
            m_w.setBusyCursor(true);
            m_w.ProgressBar1->setRange(0, 5);
            m_w.ProgressBar1->show();
            break;
        case 3: // the list-order question
            m_w.lbl_Hinweis->hide();
            m_w.setBusyCursor(false);
            break;
        case 4: // building the list
            m_w.setBusyCursor(true);
            break;
        default:
            break;
        }
        m_w.ProgressBar1->setValue(step);
    }

private:
    Hauptform& m_w;
};

void Hauptform::onDirectoryChanged(const QString& path) {
    if (m_inDirectoryChange)
        return; // the tree cannot be used while a question is open; a change from elsewhere waits
    const QScopedValueRollback<bool> running(m_inDirectoryChange, true);
    m_treePath = path;

    // Reset. The options, the transfer button and the progress bar keep their state.
    m_backupPath.clear();
    lbl_Hinweis->show();
    fpBtnAllOn_Off->hide();

    LoadingQuestions questions(*this);
    const LoadResult loaded =
        loadBackup(m_ctx.fs, QDir::toNativeSeparators(path).toStdString(), m_list, questions);
    m_backupPath = loaded.recognition.directory.backupPath();
    if (loaded.recognition.format)
        m_knTypeText = std::string(loaded.recognition.format->text);
    if (loaded.outcome == LoadOutcome::TableFailed) {
        failLoading(loaded.error);
        return;
    }
    if (loaded.outcome != LoadOutcome::Loaded)
        return; // no backup, Manager.ini beside it, or the answer No: nothing is said

    // An alphabetical list has no folders to keep, so the songs are lined up.
    const bool alphabetical = m_list.order() == ListOrder::Alphabetical;
    Option_Verzeichnisstruktur_0->setVisible(!alphabetical);
    Option_Verzeichnisstruktur_1->setVisible(!alphabetical);
    if (alphabetical)
        Option_Verzeichnisstruktur_1->setChecked(true);

    // Finish.
    but_Transfer->show();
    fpBtnAllOn_Off->show();
    setBusyCursor(false);
    ProgressBar1->hide();
    ProgressBar1->setValue(0);

    warnAboutShortTables(loaded);
    warnAboutRestoreSpace();
}

void Hauptform::failLoading(const Status& why) {
    Localisation& loc = m_ctx.localisation;
    setBusyCursor(false);
    m_list.clear();
    // The message names the file and the system's reason after the table's own words.
    m_ctx.messageBoxes.critical(this, message(loc, msg::kTablesUnreadableTitle),
                                message(loc, msg::kTablesUnreadable) + QChar(u'\r') +
                                    QDir::toNativeSeparators(fromUtf8(why.path())) + QStringLiteral(": ") +
                                    fromUtf8(why.reason()));
    Option_Verzeichnisstruktur_0->hide();
    Option_Verzeichnisstruktur_1->hide();
    lbl_Hinweis->show();
    fpBtnAllOn_Off->hide();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
}

void Hauptform::warnAboutShortTables(const LoadResult& loaded) {
    QStringList files;
    if (!loaded.shortSongTable.empty())
        files << QDir::toNativeSeparators(fromUtf8(pathToUtf8(loaded.shortSongTable)));
    if (!loaded.shortFolderTable.empty() && loaded.shortFolderTable != loaded.shortSongTable)
        files << QDir::toNativeSeparators(fromUtf8(pathToUtf8(loaded.shortFolderTable)));
    if (files.isEmpty())
        return;
    Localisation& loc = m_ctx.localisation;
    const QString text = windowText(loc, WindowText::ShortTable).arg(files.join(QStringLiteral(", ")));
    m_ctx.messageBoxes.warning(this, message(loc, msg::kSpaceWarningTitle), text);
}

QString Hauptform::programDriveText() {
    const std::filesystem::path folder = m_ctx.programFolder.path();
#ifdef _WIN32
    return QDir::toNativeSeparators(fromUtf8(pathToUtf8(folder))).left(3);
#else
    const auto drive = driveHolding(m_ctx.drives, folder);
    return drive ? fromUtf8(drive->text) : QStringLiteral("/");
#endif
}

void Hauptform::warnAboutRestoreSpace() {
    // A restore file of this backup is written beneath the program's folder.
    const auto space =
        restoreSpace(m_ctx.fs, pathFromUtf8(m_treePath.toStdString()), m_ctx.programFolder.path());
    if (!space) {
        failLoading(space.status());
        return;
    }
    if (space->enough())
        return;
    Localisation& loc = m_ctx.localisation;
    const QString megabytes = QLocale().toString(static_cast<double>(space->needed) / 1e6, 'f', 3);
    m_ctx.messageBoxes.warning(
        this, message(loc, msg::kSpaceWarningTitle),
        message(loc, msg::kSpaceWarningStart) + programDriveText() + message(loc, msg::kSpaceWarningSize) +
            megabytes + message(loc, msg::kSpaceWarningMegabytes) + message(loc, msg::kSpaceWarningEnd));
}

} // namespace lw::ui
