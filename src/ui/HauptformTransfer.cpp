// The transfer as the window runs it: the set-up dialogs, the busy state, and the
// core's transfer run with this window as its front end. The run decides everything
// about folders, slots and room; the window only shows what it reports. The card
// preview asks the same set-up questions and shows the core's plan of that run.
#include "card/CardCheck.h"
#include "card/TransferPlan.h"
#include "card/TransferRun.h"
#include "platform/Drives.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"
#include "ui/Hauptform.h"
#include "ui/SongListModel.h"
#include "ui/dialogs/CardPreview.h"
#include "ui/dialogs/SdGroesse.h"
#include "ui/dialogs/SelectCardreader.h"
#include "ui/dialogs/Transfermode.h"
#include "ui/dialogs/UiText.h"
#include "ui/dialogs/WindowTexts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeView>

#include <array>
#include <utility>

namespace lw::ui {

namespace {

// The window is painted at most this often during a run (25 frames a second); its input,
// the cancel button above all, is handled after every song.
constexpr qint64 kFrameMilliseconds = 40;

} // namespace

// Songs are often handled far faster than the window can be painted: painting after each
// of them would make the run many times slower than the command line. So the window's
// painting is held back between frames, while events are still handled after every song.
class Hauptform::RunFrontEnd : public TransferFrontEnd {
public:
    RunFrontEnd(Hauptform& window, bool restoreMode) : m_w(window), m_restoreMode(restoreMode) {
        m_w.m_model->setDeferred(true);
    }
    ~RunFrontEnd() override {
        showFrames(true);
        m_w.m_model->setDeferred(false);
    }

    // The selected row and the row to show are taken over at the next frame.
    void rowSelected(std::size_t row) override { m_selectedRow = static_cast<int>(row); }
    void rowInView(std::size_t row) override { m_rowInView = static_cast<int>(row); }
    void rowHandled(std::size_t, SongOutcome, const std::string&) override {}
    void progress(int value, int maximum) override {
        m_w.ProgressBar1->setMaximum(maximum);
        m_w.ProgressBar1->setValue(value);
        if (value > 0)
            m_w.setPanel(8, QString::number(value));
    }
    void message(const RunMessage& m) override {
        QString text;
        for (const auto& part : m.parts) {
            QString piece =
                part.number ? lw::ui::message(m_w.m_ctx.localisation, part.number) : fromUtf8(part.text);
            // A part that begins a line of its own (the advice after the reason) starts
            // with its first word, not with the joining ". " some texts carry.
            if (text.endsWith(QLatin1Char('\n')))
                while (piece.startsWith(QLatin1Char('.')) || piece.startsWith(QLatin1Char(' ')))
                    piece.remove(0, 1);
            text += piece;
        }
        // Paths are shown in the system's own notation ("/" where it separates folders).
        if (m.kind == RunMessage::Kind::Closing && m_restoreMode)
            text = fromUtf8(displayPath(text.toStdString()));
        const QString title = lw::ui::message(m_w.m_ctx.localisation, m.title);
        const bool busy = m_w.m_busyCursor;
        showFrames(true);
        m_w.setBusyCursor(false);
        m_w.m_ctx.messageBoxes.warning(&m_w, title, text);
        m_w.setBusyCursor(busy);
    }
    bool askCancel(int question, int title) override {
        showFrames(true);
        m_w.setBusyCursor(false);
        const auto answer =
            m_w.m_ctx.messageBoxes.question(&m_w, lw::ui::message(m_w.m_ctx.localisation, title),
                                            lw::ui::message(m_w.m_ctx.localisation, question));
        m_w.setBusyCursor(true);
        if (answer == QMessageBox::Yes)
            m_w.but_Abbruch->hide();
        else
            m_w.m_closeAfterRun = false; // the close box's request goes with the No
        return answer == QMessageBox::Yes;
    }
    // The abort path: the window is given back before its error report is shown.
    void aborting() override {
        showFrames(true);
        m_w.setTransferBusy(false);
    }
    void processEvents() override {
        // The first frame comes with the first song: the busy window shows at once.
        const bool frameDue = !m_frame.isValid() || m_frame.hasExpired(kFrameMilliseconds);
        if (frameDue) {
            showFrames(true);
            m_frame.restart();
        }
        QApplication::processEvents();
        if (frameDue)
            showFrames(false);
    }
    bool takeCancelRequest() override { return std::exchange(m_w.m_cancelRequested, false); }
    void beep() override { QApplication::beep(); }

private:
    // Turns painting on (bringing the list up to date first) or off.
    void showFrames(bool on) {
        if (on) {
            m_w.m_model->flush();
            if (m_selectedRow >= 0)
                m_w.ListView1->setCurrentIndex(m_w.m_model->index(m_selectedRow, 0));
            if (m_rowInView >= 0)
                m_w.ListView1->scrollTo(m_w.m_model->index(m_rowInView, 0));
            m_selectedRow = m_rowInView = -1;
        }
        if (m_w.centralWidget()->updatesEnabled() != on)
            m_w.centralWidget()->setUpdatesEnabled(on);
    }

    Hauptform& m_w;
    bool m_restoreMode;
    QElapsedTimer m_frame;
    int m_selectedRow = -1;
    int m_rowInView = -1;
};

void Hauptform::setTransferBusy(bool busy) {
    m_transferRunning = busy;
    m_Programm->setEnabled(!busy);
    m_Ausfuehren->setEnabled(!busy);
    m_Hilfe->setEnabled(!busy);
    // The items too, so that their keys (Ctrl+O, Ctrl+Q, F1) do nothing during a run.
    for (QMenu* menu : {m_Programm, m_Ausfuehren, m_Hilfe}) {
        menu->menuAction()->setEnabled(!busy);
        for (QAction* item : menu->actions())
            item->setEnabled(!busy);
    }
    fpBtnAllOn_Off->setEnabled(!busy);
    but_Abbruch->setVisible(busy);
    Option_Verzeichnisstruktur_0->setEnabled(!busy);
    Option_Verzeichnisstruktur_1->setEnabled(!busy);
    but_Transfer->setEnabled(!busy);
    ListView1->setEnabled(!busy);
    FrameBackuppfad->setEnabled(!busy);
    if (busy) {
        ProgressBar1->setMinimum(0);
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        setBusyCursor(true);
        ProgressBar1->setMaximum(panelText(4).toInt());
        // Painted now: preparing the output (deleting an old PRIVATE or RestorSDB folder)
        // may take a while before the first song lets the window paint.
        repaint();
    } else {
        setBusyCursor(false);
        ProgressBar1->setValue(0);
        enablePreviewItem();
    }
}

void Hauptform::mnu_Restore_Click() {
    if (m_transferRunning || !transferHasWork(m_list))
        return;
    Localisation& l10n = m_ctx.localisation;
    m_ctx.messageBoxes.warning(this, message(l10n, msg::kFormattedCardTitle),
                               message(l10n, msg::kFormattedCardWarning));
    TransferSetup setup;
    if (!askTransferChoices(setup))
        return;

    setTransferBusy(true);
    RunFrontEnd frontEnd(*this, setup.mode == OutputMode::RestoreFile);
    TransferRun run(m_ctx.fs, m_list, frontEnd);
    run.run(setup, m_backupPath);
    setTransferBusy(false);
    if (std::exchange(m_closeAfterRun, false))
        close();
}

void Hauptform::mnu_Kartenvorschau_Click() {
    if (m_transferRunning || !transferHasWork(m_list))
        return;
    TransferSetup setup;
    if (!askTransferChoices(setup))
        return;
    // The plan reads the sizes of the backup's song files, which may take a moment.
    setBusyCursor(true);
    const TransferPlan plan = planTransfer(m_ctx.fs, m_list, setup, BackupDirectory(m_ctx.fs, m_backupPath));
    setBusyCursor(false);
    const QString target = QDir::toNativeSeparators(fromUtf8(
        setup.mode == OutputMode::Card ? setup.cardRootText : displayPath(pathToUtf8(setup.restoreFile))));
    CardPreview preview(m_ctx.localisation, plan, setup, target, this);
    preview.exec();
}

bool Hauptform::askTransferChoices(TransferSetup& setup) {
    Localisation& l10n = m_ctx.localisation;
    Transfermode modeDialog(l10n, this);
    modeDialog.exec();
    update();
    setup.mode = modeDialog.outputMode();
    setup.order = keepDirectoryStructure() ? CardOrder::KeepStructure : CardOrder::Sequential;
    if (setup.mode == OutputMode::Card) {
        SelectCardreader cardDialog(l10n, m_ctx.drives, this);
        cardDialog.exec();
        update();
        const std::string cardDrive = cardDialog.cardDrive();
        if (cardDrive.empty())
            return false;
        setup.cardRootText = cardRootOf(cardDrive);
        setup.cardRoot = pathFromUtf8(setup.cardRootText);
        switch (askAboutCardSongs(setup.cardRoot, setup.cardRootText)) {
        case CardSongsAnswer::Replace:
            return true;
        case CardSongsAnswer::Add:
            setup.addToCard = true;
            return true;
        case CardSongsAnswer::Cancel:
            break;
        }
        return false;
    }
    SdGroesse sizeDialog(l10n, this);
    sizeDialog.exec();
    update();
    setup.cardCapacity = sizeDialog.cardCapacity();
    setup.clusterSize = sizeDialog.clusterSize();
    const std::filesystem::path folder = m_ctx.programFolder.path();
    setup.restoreFile = restoreFilePath(folder);
    setup.recreateRestoreFolder = true;
    // Shown in the closing message before "\RestorSDB\Restore.sdb": in the system's own
    // notation throughout, also when the folder was given with "/" on Windows.
    setup.restoreLocationText = pathToUtf8(std::filesystem::path(folder).make_preferred());
    return true;
}

Hauptform::CardSongsAnswer Hauptform::askAboutCardSongs(const std::filesystem::path& cardRoot,
                                                        const std::string& cardText) {
    const CardCheck card = checkCard(m_ctx.fs, cardRoot);
    const int songs = card.songCount();
    if (!card.info || songs == 0)
        return CardSongsAnswer::Replace;
    Localisation& loc = m_ctx.localisation;
    const QString text = windowText(loc, WindowText::CardHoldsSongs)
                             .arg(QDir::toNativeSeparators(fromUtf8(cardText)),
                                  songCountText(loc, static_cast<std::size_t>(songs)),
                                  folderCountText(loc, static_cast<std::size_t>(card.folderCount())));
    // Enter adds: it loses nothing on the card and still does what the transfer was
    // started for. Escape and the close box cancel.
    const QList<Answer> answers = {{windowText(loc, WindowText::AnswerReplace), QMessageBox::DestructiveRole},
                                   {windowText(loc, WindowText::AnswerAdd), QMessageBox::AcceptRole},
                                   {windowText(loc, WindowText::AnswerCancel), QMessageBox::RejectRole}};
    constexpr std::array kAnswers = {CardSongsAnswer::Replace, CardSongsAnswer::Add, CardSongsAnswer::Cancel};
    const int chosen =
        m_ctx.messageBoxes.choose(this, message(loc, msg::kQuestionTitle), text, answers, 1, 2);
    return chosen >= 0 && chosen < static_cast<int>(kAnswers.size())
               ? kAnswers[static_cast<std::size_t>(chosen)]
               : CardSongsAnswer::Cancel;
}

void Hauptform::enablePreviewItem() {
    mnu_Kartenvorschau->setEnabled(!m_transferRunning && transferHasWork(m_list));
}

} // namespace lw::ui
