#include "ui/dialogs/CardPreview.h"
#include "backup/BackupFormat.h"
#include "card/CardSizes.h"
#include "platform/Path.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/UiText.h"
#include "ui/dialogs/WindowTexts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace lw::ui {

namespace {

// The places of the progress bar: the fill in tenths of a percent.
constexpr int kFillSteps = 1000;

// Megabytes of 1024 × 1024 bytes with one decimal, in the language's notation.
QString megabytes(Localisation& localisation, std::uint64_t bytes) {
    const QLocale locale(localisation.language() == Language::English ? QLocale::English : QLocale::German);
    return locale.toString(static_cast<double>(bytes) / 1048576.0, 'f', 1);
}

QString reason(Localisation& localisation, PlannedSong::Fate fate) {
    switch (fate) {
    case PlannedSong::Fate::Transferred:
        break;
    case PlannedSong::Fate::NotFound:
        return windowText(localisation, WindowText::ReasonNotFound);
    case PlannedSong::Fate::NoRoom:
        return windowText(localisation, WindowText::ReasonNoRoom);
    case PlannedSong::Fate::NoFolder:
        return windowText(localisation, WindowText::ReasonNoFolder);
    case PlannedSong::Fate::Failed:
        return windowText(localisation, WindowText::ReasonFailed);
    case PlannedSong::Fate::Skipped:
        return windowText(localisation, WindowText::ReasonSkipped);
    case PlannedSong::Fate::NotReached:
        return windowText(localisation, WindowText::ReasonNotReached);
    }
    return {};
}

// The file and the system's reason of a failure, the file in the system's notation.
QString failure(const Status& error) {
    return QDir::toNativeSeparators(fromUtf8(displayPath(error.path()))) + QStringLiteral(": ") +
           fromUtf8(error.reason());
}

QTreeWidget* makeTable(QWidget* parent, const char* name, const QStringList& columns) {
    auto* table = new QTreeWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHeaderLabels(columns);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setUniformRowHeights(true);
    table->header()->setStretchLastSection(true);
    return table;
}

// The folders with their songs below them; the folders on the card already in italics.
void fillFolders(Localisation& loc, QTreeWidget* tree, const TransferPlan& plan) {
    std::map<int, QTreeWidgetItem*> folders;
    for (const PlannedFolder& folder : plan.folders) {
        const QString title = folder.title.empty() ? windowText(loc, WindowText::PreviewNoTitle)
                                                   : fromCp1252(folder.title).trimmed();
        const QString songs = songCountText(loc, folder.songs);
        auto* item = new QTreeWidgetItem(
            tree, {fromUtf8(zeroPadded(folder.number, 3)), title,
                   folder.existing ? windowText(loc, WindowText::PreviewOnCard).arg(songs) : songs});
        if (folder.existing) {
            QFont italic = item->font(0);
            italic.setItalic(true);
            for (int column = 0; column < tree->columnCount(); ++column)
                item->setFont(column, italic);
        }
        folders[folder.number] = item;
    }
    for (const PlannedSong& song : plan.songs) {
        const auto folder = folders.find(song.folder);
        if (song.fate != PlannedSong::Fate::Transferred || folder == folders.end())
            continue;
        QStringList files;
        for (const std::string& file : song.files)
            files << fromUtf8(file);
        new QTreeWidgetItem(folder->second,
                            {fromUtf8(zeroPadded(song.slot + 1, 2)), fromCp1252(song.name).trimmed(),
                             files.join(QStringLiteral(", "))});
    }
    tree->expandAll();
}

// How the run would end, how many songs it would transfer, and that nothing was written.
QString ending(Localisation& loc, const TransferPlan& plan) {
    QString text;
    switch (plan.end) {
    case RunOutcome::Aborted:
        text = windowText(loc, WindowText::PreviewEndRefused).arg(failure(plan.error));
        break;
    case RunOutcome::SongFailed:
        text = windowText(loc, WindowText::PreviewEndFailed).arg(failure(plan.error));
        break;
    case RunOutcome::OutputFull:
        text = windowText(loc, WindowText::PreviewEndFull);
        break;
    case RunOutcome::FoldersUsedUp:
        text = windowText(loc, WindowText::PreviewEndFolders);
        break;
    case RunOutcome::NothingMarked:
    case RunOutcome::Completed:
    case RunOutcome::Cancelled:
        text = windowText(loc, WindowText::PreviewEndComplete);
        break;
    }
    if (plan.end != RunOutcome::Aborted) {
        const auto transferred =
            std::count_if(plan.songs.begin(), plan.songs.end(),
                          [](const PlannedSong& s) { return s.fate == PlannedSong::Fate::Transferred; });
        text += QLatin1Char(' ') +
                windowText(loc, WindowText::PreviewSongsTransferred).arg(transferred).arg(plan.songs.size());
    }
    text += QLatin1Char('\r') + windowText(loc, WindowText::PreviewNothingWritten);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

CardPreview::CardPreview(Localisation& loc, const TransferPlan& plan, const TransferSetup& setup,
                         const QString& target, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CardPreview"));
    setWindowTitle(windowText(loc, WindowText::PreviewTitle));
    auto* layout = new QVBoxLayout(this);
    const bool card = setup.mode == OutputMode::Card;

    QString where;
    if (!card) {
        const auto size = std::find_if(kCardSizes.begin(), kCardSizes.end(),
                                       [&](const CardSize& s) { return s.capacity == setup.cardCapacity; });
        where = windowText(loc, WindowText::PreviewRestoreFile)
                    .arg(target, size != kCardSizes.end() ? QString::number(size->megabytes)
                                                          : megabytes(loc, plan.capacity));
    } else {
        where = windowText(loc, setup.addToCard ? WindowText::PreviewCardAdd : WindowText::PreviewCardReplace)
                    .arg(target);
    }
    auto* whereLabel = new QLabel(where, this);
    whereLabel->setObjectName(QStringLiteral("lbl_Ziel"));
    whereLabel->setWordWrap(true);
    whereLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(whereLabel);

    QTreeWidget* tree =
        makeTable(this, "tree_Karte",
                  {message(loc, msg::kColumnNumber), windowText(loc, WindowText::PreviewColumnFolder),
                   windowText(loc, WindowText::PreviewColumnFiles)});
    fillFolders(loc, tree, plan);
    layout->addWidget(tree, 3);

    auto* leftOutLabel = new QLabel(this);
    leftOutLabel->setObjectName(QStringLiteral("lbl_Ausgelassen"));
    layout->addWidget(leftOutLabel);
    QTreeWidget* leftOut = makeTable(this, "list_Ausgelassen",
                                     {message(loc, msg::kColumnNumber), message(loc, msg::kColumnSongName),
                                      windowText(loc, WindowText::PreviewColumnReason)});
    leftOut->setRootIsDecorated(false);
    for (const PlannedSong& song : plan.songs)
        if (song.fate != PlannedSong::Fate::Transferred)
            new QTreeWidgetItem(
                leftOut, {fromUtf8(song.index), fromCp1252(song.name).trimmed(), reason(loc, song.fate)});
    if (leftOut->topLevelItemCount() == 0) {
        leftOutLabel->setText(windowText(loc, WindowText::PreviewNoneLeftOut));
        leftOut->hide();
    } else {
        leftOutLabel->setText(windowText(loc, WindowText::PreviewLeftOut));
    }
    layout->addWidget(leftOut, 1);

    auto* fillLabel = new QLabel(windowText(loc, WindowText::PreviewFill), this);
    layout->addWidget(fillLabel);
    auto* fill = new QProgressBar(this);
    fill->setObjectName(QStringLiteral("bar_Belegung"));
    fill->setRange(0, kFillSteps);
    fill->setValue(plan.capacity == 0
                       ? 0
                       : static_cast<int>(std::min<std::uint64_t>(plan.charged, plan.capacity) * kFillSteps /
                                          plan.capacity));
    fill->setFormat(windowText(loc, card ? WindowText::PreviewFillCard : WindowText::PreviewFillRestore)
                        .arg(megabytes(loc, plan.charged), megabytes(loc, plan.capacity)));
    fill->setTextVisible(true);
    layout->addWidget(fill);

    auto* end = new QLabel(ending(loc, plan), this);
    end->setObjectName(QStringLiteral("lbl_Ende"));
    end->setWordWrap(true);
    end->setTextFormat(Qt::PlainText);
    layout->addWidget(end);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(windowText(loc, WindowText::PreviewClose), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("but_Schliessen"));
    close->setDefault(true);
    close->setFocus(); // the tables only show; Enter or Escape closes the preview
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    for (QTreeWidget* table : {tree, leftOut})
        for (int column = 0; column + 1 < table->columnCount(); ++column)
            table->resizeColumnToContents(column);
    // A run that would not start has no folders, songs or fill to show: only its reason.
    if (plan.end == RunOutcome::Aborted) {
        for (QWidget* part : QList<QWidget*>{tree, leftOutLabel, leftOut, fillLabel, fill})
            part->hide();
        resize(560, std::max(heightForWidth(560), minimumSizeHint().height()));
    } else {
        resize(720, 620);
    }
}

} // namespace lw::ui
