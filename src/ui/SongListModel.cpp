#include "ui/SongListModel.h"
#include "settings/MessageIds.h"
#include "ui/dialogs/UiText.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace lw::ui {

namespace {

const QColor kSongTextColour(0, 0, 0);
const QColor kDarkBlue(0, 0, 128);
const QColor kGreen(0, 128, 0);
// Their counterparts on a dark ground.
const QColor kSongTextOnDark(240, 240, 240);
const QColor kBlueOnDark(150, 190, 255);
const QColor kGreenOnDark(120, 215, 120);

constexpr int kIconSize = 16;

QPixmap blankIcon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A folder: a yellow card with a tab.
QIcon drawFolderIcon() {
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6.5, 3.5);
    path.lineTo(8.0, 5.5);
    path.lineTo(14.5, 5.5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(QPen(QColor(255, 235, 160), 1));
    p.drawLine(QPointF(2.5, 7.0), QPointF(13.5, 7.0));
    return QIcon(pixmap);
}

// A quaver: dark blue while the song is marked, grey while it is not.
QIcon drawNoteIcon(const QColor& colour) {
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.save();
    p.translate(5.5, 12.0);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 3.4, 2.4);
    p.restore();
    p.setPen(QPen(colour, 1.6));
    p.drawLine(QPointF(8.4, 11.5), QPointF(8.4, 2.0));
    p.drawLine(QPointF(8.4, 2.0), QPointF(12.5, 5.5));
    p.drawLine(QPointF(12.5, 5.5), QPointF(12.5, 7.5));
    return QIcon(pixmap);
}

Qt::Alignment columnAlignment(int column) {
    switch (column) {
    case SongListModel::ColNumber:
    case SongListModel::ColTransfer:
    case SongListModel::ColIndex:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

SongListModel::SongListModel(WorkingList& list, Localisation& localisation, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_localisation(localisation), m_folderIcon(drawFolderIcon()),
      m_unmarkedIcon(drawNoteIcon(QColor(160, 160, 160))) {
    m_boldFont.setBold(true);
    setDarkBackground(false);
    m_list.setObserver(this);
}

void SongListModel::setDarkBackground(bool dark) {
    m_songText = dark ? kSongTextOnDark : kSongTextColour;
    m_songNumber = dark ? kBlueOnDark : kDarkBlue;
    m_songIndex = dark ? kGreenOnDark : kGreen;
    m_markedIcon = drawNoteIcon(m_songNumber);
    if (m_list.size() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                         {Qt::ForegroundRole, Qt::DecorationRole});
}

SongListModel::~SongListModel() {
    m_list.setObserver(nullptr);
}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.size());
}

int SongListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QIcon SongListModel::icon(int iconNumber) const {
    switch (iconNumber) {
    case kIconFolder:
        return m_folderIcon;
    case kIconMarkedSong:
        return m_markedIcon;
    case kIconUnmarkedSong:
        return m_unmarkedIcon;
    default:
        return {};
    }
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ListRow& row = m_list.row(static_cast<std::size_t>(index.row()));
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (column) {
        case ColText:
            return fromCp1252(row.text);
        case ColNumber:
            return fromUtf8(row.number);
        case ColName:
            return fromCp1252(row.name);
        case ColTransfer:
            return row.resultMessage == 0 ? QString() : message(m_localisation, row.resultMessage);
        case ColIndex:
            return fromUtf8(row.index);
        default:
            return QString();
        }
    case Qt::CheckStateRole:
        if (column == ColText)
            return row.marked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (column == ColText)
            return icon(row.icon);
        return {};
    case Qt::FontRole:
        if (row.isFolder() && (column == ColText || column == ColNumber))
            return m_boldFont;
        return {};
    case Qt::ForegroundRole:
        if (!row.isSong())
            return {};
        if (column == ColText)
            return m_songText;
        if (column == ColNumber || column == ColName)
            return m_songNumber;
        if (column == ColIndex)
            return m_songIndex;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(column));
    default:
        return {};
    }
}

bool SongListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != ColText)
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::CheckStateRole) {
        m_list.setMarkByUser(row, static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole) {
        m_list.rename(row, value.toString().toStdString());
        return true;
    }
    return false;
}

Qt::ItemFlags SongListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == ColText)
        f |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    return f;
}

QVariant SongListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columnAlignment(section));
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColText:
        return message(m_localisation, msg::kColumnName);
    case ColNumber:
        return message(m_localisation, msg::kColumnNumber);
    case ColName:
        return message(m_localisation, msg::kColumnSongName);
    case ColTransfer:
        return QStringLiteral("Transfer");
    case ColIndex:
        return QStringLiteral("Index");
    default:
        return QStringLiteral("Sufix");
    }
}

void SongListModel::retranslate() {
    emit headerDataChanged(Qt::Horizontal, ColText, ColName);
    if (m_list.size() > 0)
        emit dataChanged(index(0, ColTransfer), index(rowCount() - 1, ColTransfer), {Qt::DisplayRole});
}

void SongListModel::listReset() {
    beginResetModel();
    endResetModel();
}

void SongListModel::rowsChanged(std::size_t first, std::size_t last) {
    if (m_deferred) {
        if (m_dirtyFirst > m_dirtyLast) {
            m_dirtyFirst = first;
            m_dirtyLast = last;
        } else {
            m_dirtyFirst = std::min(m_dirtyFirst, first);
            m_dirtyLast = std::max(m_dirtyLast, last);
        }
        return;
    }
    emit dataChanged(index(static_cast<int>(first), 0), index(static_cast<int>(last), ColumnCount - 1));
}

void SongListModel::countsChanged() {
    if (m_deferred) {
        m_countsDirty = true;
        return;
    }
    emit countersChanged();
}

void SongListModel::setDeferred(bool deferred) {
    if (m_deferred && !deferred) {
        m_deferred = false;
        flush();
    }
    m_deferred = deferred;
}

void SongListModel::flush() {
    const bool deferred = m_deferred;
    m_deferred = false;
    if (m_dirtyFirst <= m_dirtyLast && m_dirtyLast < m_list.size())
        rowsChanged(m_dirtyFirst, m_dirtyLast);
    m_dirtyFirst = 1;
    m_dirtyLast = 0;
    if (m_countsDirty)
        countsChanged();
    m_countsDirty = false;
    m_deferred = deferred;
}

QWidget* SongNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(static_cast<int>(kMaxKn7000NameLength));
    return editor;
}

} // namespace lw::ui
