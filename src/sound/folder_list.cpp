#include "sound/folder_list.h"

#include "sound/sound_log.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include <stdexcept>

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        try {
            setPath(item->data(PathRole).toString());
        } catch (const std::exception&) {
            // An unreadable folder: stay where we are.
            qCInfo(lcSound) << "the folder cannot be read:" << item->data(PathRole).toString();
        }
    });
}

void FolderList::setPath(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        throw std::runtime_error("folder cannot be read");
    const QString target = QDir::cleanPath(info.absoluteFilePath());
    const bool moved = target != path_;
    path_ = target;
    fill();
    if (moved)
        emit changed();
}

void FolderList::fill() {
    clear();
    QStringList chain;
    QDir dir(path_);
    do
        chain.prepend(dir.absolutePath());
    while (dir.cdUp());

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon& icon, const QString& name, const QString& full, int depth) {
        auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(PathRole, full);
        return item;
    };

    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& folder : chain) {
        const QString name =
            QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        current = add(open, name, folder, depth++);
    }
    const QStringList subfolders = QDir(path_).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& name : subfolders)
        add(closed, name, QDir(path_).filePath(name), depth);
    setCurrentItem(current);
}
