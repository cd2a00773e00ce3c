#include "sound/drive_list.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    QStringList roots;
    QHash<QString, QString> names;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || roots.contains(volume.rootPath()))
            continue;
        roots.append(volume.rootPath());
        names.insert(volume.rootPath(), volume.name());
    }
    // The drive of the current folder is listed even if the scan missed it.
    const QString current = rootOf(QDir::currentPath());
    if (!current.isEmpty() && !roots.contains(current))
        roots.append(current);
    std::sort(roots.begin(), roots.end());
    for (const QString& root : roots) {
        const QString name = names.value(root);
        addItem(name.isEmpty() ? root : root + QStringLiteral(" [") + name + QLatin1Char(']'),
                root);
    }
}

QString DriveList::Drive() const {
    return currentData().toString();
}

bool DriveList::selectDriveOf(const QString& path) {
    const int index = findData(rootOf(path));
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

QString DriveList::rootOf(const QString& path) {
    return QStorageInfo(path).rootPath();
}
