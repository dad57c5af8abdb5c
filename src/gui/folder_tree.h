// A tree of one volume's folders, read as the user opens them: the volume's
// root at the top, each folder's subfolders below it (hidden ones left out).
#pragma once

#include <QString>
#include <QTreeWidget>

// name inside folder ("/" and "a" give "/a").
QString child_path(const QString& folder, const QString& name);

class FolderTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderTree(QWidget* parent = nullptr);

  // Shows the tree of the volume whose root is root, nothing opened.
  void set_root(const QString& root);
  QString root() const { return root_; }
  // Opens the tree down to path (a folder below the root) and makes it the
  // current folder; a path outside the root or no longer there makes the
  // nearest folder above it current. Emits folder_changed.
  void set_path(const QString& path);
  // The current folder, "" before one is chosen.
  QString path() const;

 signals:
  void folder_changed(const QString& path);

 private:
  void fill(QTreeWidgetItem* item);
  QTreeWidgetItem* child_named(QTreeWidgetItem* item, const QString& name);

  QString root_;
};
