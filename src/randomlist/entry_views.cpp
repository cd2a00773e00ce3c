#include "randomlist/entry_views.h"

#include <QComboBox>
#include <QListView>
#include <QStyledItemDelegate>

namespace {

// More characters than the widest screen shows in a row.
constexpr qsizetype kShownCharacters = 2000;

QString shownPart(const QString& entry) {
    if (entry.size() <= kShownCharacters)
        return entry;
    return entry.left(kShownCharacters) + QChar(0x2026);
}

// Lays out and draws only the start of each entry, since laying out a whole
// entry of megabytes stalls the window for seconds. Every row has the same
// size, so the view asks for one size per change instead of measuring each
// entry: as wide as the longest entry (taken to be the widest one) and one
// line high.
class EntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QAbstractItemModel* model = index.model();
        if (!model)
            return QStyledItemDelegate::sizeHint(option, index);
        QModelIndex longest = index;
        qsizetype longestSize = -1;
        for (int row = 0, rows = model->rowCount(index.parent()); row < rows; ++row) {
            const QModelIndex at = model->index(row, index.column(), index.parent());
            const qsizetype size = at.data(Qt::DisplayRole).toString().size();
            if (size > longestSize) {
                longestSize = size;
                longest = at;
            }
        }
        return QStyledItemDelegate::sizeHint(option, longest);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = shownPart(option->text);
    }
};

} // namespace

void prepareRandomListViews(QListView* list, QComboBox* combo) {
    // The models would let a double click edit an entry.
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setItemDelegate(new EntryDelegate(list));
    list->setUniformItemSizes(true);
    combo->setItemDelegate(new EntryDelegate(combo));
    if (auto* popup = qobject_cast<QListView*>(combo->view()))
        popup->setUniformItemSizes(true);
    // Each selection made by the program hands the whole entry to the
    // completer as its prefix, which it looks up through the whole list:
    // quadratic over the list, and stalling on a huge entry. Text typed into
    // this box is never used, so completing it serves nothing.
    combo->setCompleter(nullptr);
}
