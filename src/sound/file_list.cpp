#include "sound/file_list.h"

#include <QDir>

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const QString& path) {
    path_ = path;
    fill();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    fill();
}

QString FileList::FileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::fill() {
    clear();
    if (path_.isEmpty())
        return;
    // Matched without regard to case: "ALERT.WAV" is a wave file too.
    const QStringList names = QDir(path_).entryList(
        QStringList{pattern_}, QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    addItems(names);
}
