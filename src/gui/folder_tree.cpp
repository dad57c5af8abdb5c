#include "gui/folder_tree.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QTreeWidgetItem* make_item(const QString& name, const QString& path) {
  auto* item = new QTreeWidgetItem(QStringList{name});
  item->setData(0, kPathRole, path);
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

}  // namespace

QString child_path(const QString& folder, const QString& name) {
  return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  header()->setStretchLastSection(true);
  connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fill);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem*) {
    if (now) emit folder_changed(now->data(0, kPathRole).toString());
  });
}

void FolderTree::set_root(const QString& root) {
  root_ = root;
  blockSignals(true);
  clear();
  addTopLevelItem(make_item(root, root));
  blockSignals(false);
}

void FolderTree::fill(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const QString folder = item->data(0, kPathRole).toString();
  const QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::LocaleAware);
  for (const QString& name : names) item->addChild(make_item(name, child_path(folder, name)));
  if (names.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* FolderTree::child_named(QTreeWidgetItem* item, const QString& name) {
  fill(item);
  for (int i = 0; i < item->childCount(); ++i)
    if (item->child(i)->text(0) == name) return item->child(i);
  return nullptr;
}

void FolderTree::set_path(const QString& path) {
  QTreeWidgetItem* item = topLevelItem(0);
  if (!item) return;
  const QString clean = QDir::cleanPath(path);
  // The part below the root; a path outside the volume opens its root.
  QString rest;
  if (root_ == "/")
    rest = clean;
  else if (clean.startsWith(root_ + '/'))
    rest = clean.mid(root_.size());
  for (const QString& name : rest.split('/', Qt::SkipEmptyParts)) {
    QTreeWidgetItem* next = child_named(item, name);
    if (!next) break;
    item->setExpanded(true);
    item = next;
  }
  if (item == currentItem())
    emit folder_changed(this->path());
  else
    setCurrentItem(item);
  scrollToItem(item);
}

QString FolderTree::path() const {
  QTreeWidgetItem* item = currentItem();
  return item ? item->data(0, kPathRole).toString() : QString();
}
