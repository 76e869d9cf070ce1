#include "ui/FolderTree.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace lw::ui {

namespace {

#ifdef _WIN32
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif

// A changed folder is listed again this long after the first report of a change, together
// with every folder reported meanwhile.
constexpr int kChangeDelayMilliseconds = 300;

QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith(QChar(u'/')) ? folder + name : folder + QChar(u'/') + name;
}

} // namespace

bool isInsideFolder(const QString& folder, const QString& root) {
    const QString f = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    QString r = QDir::cleanPath(QDir::fromNativeSeparators(root));
    if (f.compare(r, kNameCase) == 0)
        return true;
    if (!r.endsWith(QChar(u'/')))
        r += QChar(u'/');
    return f.startsWith(r, kNameCase);
}

struct FolderTreeModel::Folder {
    QString path; // "/" separators
    QString name;
    Folder* parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<Folder>> children;
};

FolderTreeModel::FolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_top(std::make_unique<Folder>()) {
    m_order.setNumericMode(true);
    m_order.setCaseSensitivity(Qt::CaseInsensitive);
    m_folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    m_driveIcon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(kChangeDelayMilliseconds);
    connect(&m_changeTimer, &QTimer::timeout, this, &FolderTreeModel::listChangedFolders);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        m_changed.insert(path);
        if (!m_changeTimer.isActive())
            m_changeTimer.start();
    });
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRoot(const QString& root) {
    beginResetModel();
    for (auto& child : m_top->children)
        forget(child.get());
    m_top->children.clear();
    m_changed.clear();
    auto folder = std::make_unique<Folder>();
    folder->path = QDir::cleanPath(QDir::fromNativeSeparators(root));
    folder->name = QDir::toNativeSeparators(folder->path); // the whole path: where the tree starts
    folder->parent = m_top.get();
    m_top->children.push_back(std::move(folder));
    m_top->listed = true;
    endResetModel();
}

QModelIndex FolderTreeModel::rootFolderIndex() const {
    return m_top->children.empty() ? QModelIndex() : indexOf(m_top->children.front().get());
}

QModelIndex FolderTreeModel::folderIndex(const QString& path) {
    if (m_top->children.empty())
        return {};
    Folder* folder = m_top->children.front().get();
    const QString wanted = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (!isInsideFolder(wanted, folder->path))
        return {};
    const QStringList names = wanted.mid(folder->path.size()).split(QChar(u'/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        list(folder);
        const auto found =
            std::find_if(folder->children.begin(), folder->children.end(),
                         [&](const auto& child) { return child->name.compare(name, kNameCase) == 0; });
        if (found != folder->children.end()) {
            folder = found->get();
            continue;
        }
        // A folder that the listing leaves out (a hidden one) is shown once it is opened.
        if (!QFileInfo(childPath(folder->path, name)).isDir())
            return {};
        const auto at = std::lower_bound(
            folder->children.begin(), folder->children.end(), name,
            [this](const auto& child, const QString& n) { return m_order.compare(child->name, n) < 0; });
        folder = insertChild(folder, static_cast<int>(at - folder->children.begin()), name);
    }
    return indexOf(folder);
}

QString FolderTreeModel::folderPath(const QModelIndex& index) const {
    const Folder* folder = folderOf(index);
    return folder == m_top.get() ? QString() : folder->path;
}

FolderTreeModel::Folder* FolderTreeModel::folderOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Folder*>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTreeModel::indexOf(const Folder* folder) const {
    if (!folder || folder == m_top.get())
        return {};
    return createIndex(folder->row, 0, const_cast<Folder*>(folder));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Folder* folder = folderOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= folder->children.size())
        return {};
    return indexOf(folder->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    return child.isValid() ? indexOf(folderOf(child)->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    return static_cast<int>(folderOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Folder* folder = folderOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return folder->name;
    case Qt::DecorationRole:
        return folder->parent == m_top.get() && QFileInfo(folder->path).isRoot() ? m_driveIcon : m_folderIcon;
    case Qt::ToolTipRole:
        return QDir::toNativeSeparators(folder->path);
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Folder* folder = folderOf(parent);
    return !folder->listed || !folder->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return !folderOf(parent)->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    list(folderOf(parent));
}

QStringList FolderTreeModel::subfolders(const QString& path) const {
    QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(),
              [this](const QString& a, const QString& b) { return m_order.compare(a, b) < 0; });
    return names;
}

FolderTreeModel::Folder* FolderTreeModel::insertChild(Folder* parent, int row, const QString& name) {
    beginInsertRows(indexOf(parent), row, row);
    auto child = std::make_unique<Folder>();
    child->path = childPath(parent->path, name);
    child->name = name;
    child->parent = parent;
    Folder* added = child.get();
    parent->children.insert(parent->children.begin() + row, std::move(child));
    for (std::size_t i = static_cast<std::size_t>(row); i < parent->children.size(); ++i)
        parent->children[i]->row = static_cast<int>(i);
    endInsertRows();
    return added;
}

void FolderTreeModel::list(Folder* folder) {
    if (folder->listed)
        return;
    folder->listed = true;
    m_listed.insert(folder->path, folder);
    m_watcher.addPath(folder->path);
    const QStringList names = subfolders(folder->path);
    if (names.isEmpty())
        return;
    beginInsertRows(indexOf(folder), 0, static_cast<int>(names.size()) - 1);
    for (const QString& name : names) {
        auto child = std::make_unique<Folder>();
        child->path = childPath(folder->path, name);
        child->name = name;
        child->parent = folder;
        child->row = static_cast<int>(folder->children.size());
        folder->children.push_back(std::move(child));
    }
    endInsertRows();
}

void FolderTreeModel::relist(Folder* folder) {
    const QStringList names = subfolders(folder->path);
    const QSet<QString> present(names.begin(), names.end());
    // Folders that went, from the last row up, then the ones that came, in order.
    for (int row = static_cast<int>(folder->children.size()) - 1; row >= 0; --row) {
        if (present.contains(folder->children[static_cast<std::size_t>(row)]->name))
            continue;
        beginRemoveRows(indexOf(folder), row, row);
        forget(folder->children[static_cast<std::size_t>(row)].get());
        folder->children.erase(folder->children.begin() + row);
        for (std::size_t i = static_cast<std::size_t>(row); i < folder->children.size(); ++i)
            folder->children[i]->row = static_cast<int>(i);
        endRemoveRows();
    }
    for (int row = 0; row < names.size(); ++row) {
        const auto at = static_cast<std::size_t>(row);
        if (at >= folder->children.size() || folder->children[at]->name != names[row])
            insertChild(folder, row, names[row]);
    }
}

void FolderTreeModel::forget(Folder* folder) {
    if (folder->listed) {
        m_listed.remove(folder->path);
        m_watcher.removePath(folder->path);
    }
    for (auto& child : folder->children)
        forget(child.get());
}

void FolderTreeModel::listChangedFolders() {
    const QSet<QString> changed = std::exchange(m_changed, {});
    for (const QString& path : changed)
        if (Folder* folder = m_listed.value(path))
            relist(folder);
}

} // namespace lw::ui
