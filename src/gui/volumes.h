// The "drives" of this platform: the mounted volumes, by their root paths.
#pragma once

#include <QString>
#include <QStringList>

// The volumes a user can pick: valid, ready and folders (a volume mounted
// over a file, as a container's /etc/hosts, is no place for folders), each
// once, sorted, "/" always among them.
QStringList mounted_volumes();

// Whether the folder lists can show the volume: there, ready, and its root
// readable.
bool readable_volume(const QString& root);
