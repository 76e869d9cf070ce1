// The directory tree's model: the folders below one root (the chosen drive's root, or the
// home folder), with the root itself as the tree's one top item, so that a backup lying
// at a drive's root can be opened like any other folder. Files are never shown.
//
// A folder is listed when the tree first shows its contents, and listed again when the
// system reports a change in it. A folder whose files change all the time (a download
// or temporary folder) must not keep the window busy: the changes are gathered and each
// changed folder is listed at most a few times a second, its folders only; the rows
// change only when a folder came or went, so a change of files costs one short listing.
#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QFileSystemWatcher>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

namespace lw::ui {

// Whether `folder` is `root` or lies below it, compared by path text (without regard to
// letter case on Windows).
bool isInsideFolder(const QString& folder, const QString& root);

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the folders from `root` down (a path with "/" separators).
    void setRoot(const QString& root);

    // The top item (the root folder), and the item of a folder at or below the root,
    // listing the folders on the way; invalid for a path outside the root or one that
    // is no folder.
    QModelIndex rootFolderIndex() const;
    QModelIndex folderIndex(const QString& path);
    QString folderPath(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Folder;

    Folder* folderOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Folder* folder) const;
    QStringList subfolders(const QString& path) const;
    Folder* insertChild(Folder* parent, int row, const QString& name);
    void list(Folder* folder);
    void relist(Folder* folder);
    void forget(Folder* folder); // stops watching it and every folder below it
    void listChangedFolders();

    std::unique_ptr<Folder> m_top; // invisible; its one child is the root folder
    QHash<QString, Folder*> m_listed;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_changed;
    QTimer m_changeTimer;
    QCollator m_order;
    QIcon m_folderIcon;
    QIcon m_driveIcon;
};

} // namespace lw::ui
