// Hauptform, the program's working window: the backup directory is chosen on the left
// (drive list and directory tree), the song list fills the right, the two transfer-order
// options and the two command buttons sit above it, a progress bar and a nine-panel
// status bar at the bottom. Opening a directory runs the backup loading: recognition,
// the load question, the table readers, the list-order question, the list builders and
// the space estimate of a restore file. A folder is opened by a double-click or Enter in
// the tree (a click or the arrow keys only select it), by choosing a drive, through the
// menu item that shows the system's folder dialog, or by dropping it (or a file in it)
// onto the window.
//
// The window keeps no list of its own: the rows, marks and counters live in the
// lw::WorkingList that the song list model shows. Places and sizes are in twips (see
// Twips.h); the window's width is fixed and only its height follows the user.
#pragma once

#include "backup/BackupReader.h"
#include "backup/WorkingList.h"
#include "ui/AppContext.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QToolButton;
class QTreeView;

namespace lw {
struct TransferSetup;
}

namespace lw::ui {

class FolderTreeModel;
class SongListModel;

class Hauptform : public QMainWindow {
    Q_OBJECT
public:
    // Window size without the system's frame, in twips: the outer width of 10350 and the
    // least outer height of 8000 less two 4-pixel borders and a 22-pixel caption.
    static constexpr int kWidth = 10350 - 120;
    static constexpr int kMinHeight = 8000 - 120 - 330;

    explicit Hauptform(AppContext& context, QWidget* parent = nullptr);
    ~Hauptform() override;

    // Looks up every caption in the current language; runs on load and on every activation.
    void applyTexts();

    WorkingList& workingList() { return m_list; }
    // The loaded backup's directory, ending in one folder separator (BackupPath).
    const std::string& backupPath() const { return m_backupPath; }
    // The recognised keyboard (KnTypeText).
    const std::string& knTypeText() const { return m_knTypeText; }
    // 0 standard order, 1 alphabetical (ListOrderChoice).
    std::int16_t listOrderChoice() const { return m_listOrderChoice; }
    // True when the transfer keeps the backup's folders (option 0 selected).
    bool keepDirectoryStructure() const;
    // Set by the cancel button; the transfer run polls and clears it (CancelRequested).
    // The directory last opened, or the drive's root after a drive change (Dir1's path).
    const QString& treePath() const { return m_treePath; }
    // Opens a folder as a double-click in the tree does: the tree shows it as its current
    // folder (on its drive), then the backup loading runs. Ignored while a transfer runs
    // or a load is asking its questions.
    void openBackupFolder(const QString& path);
    // The text of a status panel, 1 to 9.
    QString panelText(int panel) const;

    // The transfer (menu item and transfer button): message 44, the transfer-mode dialog,
    // the card-reader or card-size dialog, then the core's transfer run with this window
    // as its front end, and the ready state again.
    void mnu_Restore_Click();
    // The card preview (menu item): the choices of a transfer, asked as the transfer asks
    // them, then the plan of that transfer in the card-preview dialog. Nothing is written.
    void mnu_Kartenvorschau_Click();
    // True while a transfer runs.
    bool transferRunning() const { return m_transferRunning; }

signals:
    void transferRequested();
    void languageSelectionRequested();
    void helpRequested();
    void internetRequested();
    void infoRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // During a transfer the close box asks the cancel question, and the window closes
    // once the run has finished.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class RunFrontEnd;
    class LoadingQuestions;
    void setTransferBusy(bool busy);
    // The choices a transfer needs: the transfer mode, then the card reader (and what
    // becomes of the songs on the card) or the size of the card a restore file is meant
    // for. False when the user gave up on one of them.
    bool askTransferChoices(TransferSetup& setup);
    // Card mode: what becomes of the songs a card holds already, asked when its
    // information file lists songs, before anything on the card is touched. A card
    // without songs (or without a readable information file) is simply replaced.
    enum class CardSongsAnswer { Replace, Add, Cancel };
    CardSongsAnswer askAboutCardSongs(const std::filesystem::path& cardRoot, const std::string& cardText);
    // The preview item works when the list has marked songs and no transfer runs.
    void enablePreviewItem();
    // The language dialog, help, the web page and the about window from the menus.
    void connectMenuDialogs();

    void buildMenus();
    void buildControls(QWidget* central);
    void buildStatusBar(QWidget* central);
    void layoutForHeight(int clientHeightTwips);

    void fillDriveList(const QString& selectRoot);
    void onDriveChosen(int index);
    void setTreeRoot(const QString& root);
    void showInTree(const QString& path);
    void chooseBackupFolder();
    void placeAllMarksButton();
    void showAllMarksState();
    void adaptToPalette();

    // The directory change: reset, recognition, question, loading, list order, build,
    // finish, space estimate.
    void onDirectoryChanged(const QString& path);
    void failLoading(const Status& why);
    void warnAboutShortTables(const struct LoadResult& loaded);
    void warnAboutRestoreSpace();
    QString programDriveText();

    void fitTexts();
    void fitPanels();
    void showCounters();
    void setBusyCursor(bool busy);
    void setPanel(int panel, const QString& text);

    AppContext& m_ctx;
    WorkingList m_list;
    SongListModel* m_model = nullptr;
    FolderTreeModel* m_tree = nullptr;

    std::string m_backupPath;
    std::string m_knTypeText;
    std::int16_t m_listOrderChoice = 0;
    bool m_cancelRequested = false;
    bool m_transferRunning = false;
    bool m_closeAfterRun = false;
    QString m_treePath;
    QString m_driveRoot;
    bool m_inDirectoryChange = false;
    bool m_busyCursor = false;
    QString m_transferText;
    QString m_transferPressedText;
    QString m_cancelText;
    QString m_cancelPressedText;

    QMenu* m_Programm = nullptr;
    QAction* mnu_Oeffnen = nullptr;
    QAction* mnu_Sprachwahl = nullptr;
    QAction* mnu_line1 = nullptr;
    QAction* mnu_Beenden = nullptr;
    QMenu* m_Ausfuehren = nullptr;
    QAction* mnu_Restore = nullptr;
    QAction* mnu_Kartenvorschau = nullptr;
    QMenu* m_Hilfe = nullptr;
    QAction* mnu_Hilfe = nullptr;
    QAction* mnu_Internet = nullptr;
    QAction* mnu_Info = nullptr;

    QGroupBox* FrameBackuppfad = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Drive1 = nullptr;
    QTreeView* Dir1 = nullptr;
    QRadioButton* Option_Verzeichnisstruktur_0 = nullptr;
    QRadioButton* Option_Verzeichnisstruktur_1 = nullptr;
    QPushButton* but_Abbruch = nullptr;
    QPushButton* but_Transfer = nullptr;
    QTreeView* ListView1 = nullptr;
    QToolButton* fpBtnAllOn_Off = nullptr;
    QLabel* lbl_Hinweis = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 9> m_panels{};
};

} // namespace lw::ui
