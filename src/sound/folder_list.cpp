#include "sound/folder_list.h"

#include "sound/sound_log.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <stdexcept>

namespace {

// Indents each entry by its depth as it is drawn: the entry's text stays the
// folder's name, for keyboard search and screen readers.
class IndentingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(FolderList::DepthRole).toInt() * option.decorationSize.width() / 2;
    }
};

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentingDelegate(this));
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
    // The folder in view is only shown as the chain of entries: a screen
    // reader is told the whole path, and so is a pointer resting on the list.
    setAccessibleDescription(QDir::toNativeSeparators(path_));
    setToolTip(QDir::toNativeSeparators(path_));
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
        auto* item = new QListWidgetItem(icon, name, this);
        item->setData(PathRole, full);
        item->setData(DepthRole, depth);
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
