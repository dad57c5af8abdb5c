#include "gui/volumes.h"

#include <QFileInfo>
#include <QStorageInfo>

QStringList mounted_volumes() {
  QStringList roots;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady()) continue;
    const QString root = v.rootPath();
    if (QFileInfo(root).isDir() && !roots.contains(root)) roots.push_back(root);
  }
  if (!roots.contains("/")) roots.push_back("/");
  roots.sort();
  return roots;
}

bool readable_volume(const QString& root) {
  const QFileInfo info(root);
  if (!info.isDir() || !info.isReadable() || !info.isExecutable()) return false;
  const QStorageInfo volume(root);
  return volume.isValid() && volume.isReady();
}
