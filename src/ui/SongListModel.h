// The song list's view of the working list. The model holds no rows of its own: it reads
// every cell from lw::WorkingList and forwards the user's mark changes and renames to it,
// and the list tells the model what changed through WorkingListObserver.
//
// Columns: 1 the row text (folder name, or the song's KN7000 name, editable, with the
// mark as check box and the row's icon), 2 the number, 3 the whole song name,
// 4 the transfer result, 5 the song's file number (Index), 6 Sufix (never written).
#pragma once

#include "backup/WorkingList.h"
#include "settings/Localisation.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QStyledItemDelegate>

#include <array>

namespace lw::ui {

class SongListModel : public QAbstractTableModel, public WorkingListObserver {
    Q_OBJECT
public:
    enum Column { ColText, ColNumber, ColName, ColTransfer, ColIndex, ColSufix, ColumnCount };

    // Design widths of the columns, in twips.
    static constexpr std::array<int, ColumnCount> kColumnWidths = {2500, 800, 2700, 900, 900, 700};

    SongListModel(WorkingList& list, Localisation& localisation, QObject* parent = nullptr);
    ~SongListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The language changed: column titles and transfer results are looked up again.
    void retranslate();

    // While deferred, changes of rows and counters are collected instead of announced;
    // flush() announces what was collected. A transfer defers them between the frames in
    // which the window is painted, since nothing is shown in between.
    void setDeferred(bool deferred);
    void flush();

    // The icon of a row's icon number (5 unmarked song, 6 marked song, 7 folder).
    QIcon icon(int iconNumber) const;

    // The song rows' text colours (black, dark blue, green) are meant for a light ground;
    // on the dark ground of a dark desktop theme lighter ones take their place.
    void setDarkBackground(bool dark);

signals:
    // Available songs, SelectedCount or the keyboard kind changed.
    void countersChanged();

private:
    void listReset() override;
    void rowsChanged(std::size_t first, std::size_t last) override;
    void countsChanged() override;

    WorkingList& m_list;
    Localisation& m_localisation;
    QIcon m_folderIcon;
    QIcon m_markedIcon;
    QIcon m_unmarkedIcon;
    QFont m_boldFont;
    QColor m_songText;
    QColor m_songNumber; // the number and song name columns
    QColor m_songIndex;
    bool m_deferred = false;
    bool m_countsDirty = false;
    std::size_t m_dirtyFirst = 1;
    std::size_t m_dirtyLast = 0; // first > last: no row changed
};

// The editor of the song name column: a line edit that takes at most 16 characters, the
// longest name the KN7000 stores.
class SongNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

} // namespace lw::ui
