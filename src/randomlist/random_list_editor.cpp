#include "randomlist/random_list_editor.h"

#include "platform/message_boxes.h"
#include "platform/program_info.h"
#include "randomlist/entry_views.h"

#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>

#include <exception>

namespace {

// Longer texts are emptied from the entry box without an undo step (see add).
constexpr qsizetype kUndoableLength = 100000;

QStringList entriesOf(const QListWidget* list) {
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->item(i)->text());
    return entries;
}

} // namespace

RandomListEditor::RandomListEditor(const RandomListControls& controls, MessageBoxes& messages,
                                   const ProgramInfo& program)
    : controls_(controls), messages_(messages), place_(program.folder()) {
    prepareRandomListViews(controls_.list, controls_.liveList);
}

QString RandomListEditor::listPath() const {
    return place_.path();
}

void RandomListEditor::LoadRandomList() {
    QComboBox* live = controls_.liveList;
    const qsizetype room = kMaxRandomListEntries - live->count();
    if (room <= 0)
        return;
    RandomListContents contents = readRandomListFile(listPath(), room);
    unloadedEntries_ = contents.unloaded;
    if (contents.entries.isEmpty())
        return;
    // Appending to an empty combo box selects its first item; the list is
    // only filled here, the user (or the monitor) chooses.
    const int index = live->currentIndex();
    const QString text = live->currentText();
    live->addItems(contents.entries);
    live->setCurrentIndex(index);
    live->setEditText(text);
}

void RandomListEditor::open() {
    QListWidget* list = controls_.list;
    QComboBox* live = controls_.liveList;
    list->clear();
    try {
        const int count = live->count();
        QStringList entries;
        entries.reserve(count);
        for (int i = 0; i < count; ++i)
            entries.append(live->itemText(i));
        list->addItems(entries);
        // The live list ends showing its last item, as a copy through the
        // selection leaves it, with one selection instead of one for each item.
        if (count > 0) {
            live->setCurrentIndex(count - 1);
            live->setEditText(entries.last());
        }
    } catch (const std::exception&) {
        // The editor opens with what was copied.
    }
    controls_.frame->show();
    if (unloadedEntries_.exist() && !unloadedEntriesTold_) {
        unloadedEntriesTold_ = true;
        messages_.show(
            QStringLiteral("The list file vigilo.cfg holds more than %1 entries, more than the "
                           "list can show. The editor shows the first %1; when you save, the "
                           "others stay in the file, unchanged, after the saved list.")
                .arg(kMaxRandomListEntries),
            QStringLiteral("Edit Random-list"));
    }
}

void RandomListEditor::save() {
    QListWidget* list = controls_.list;
    QComboBox* live = controls_.liveList;
    if (list->count() == 0)
        return; // an empty random list cannot be saved
    try {
        const QStringList entries = entriesOf(list);
        place_.prepareForSave();
        const QStringList stored = SaveRandomList(listPath(), entries, unloadedEntries_);
        // The live list holds what the file holds, so this run and the next
        // draw the same texts; a converted entry leads to the same address.
        for (qsizetype i = 0; i < stored.size(); ++i)
            if (stored.at(i) != entries.at(i))
                list->item(static_cast<int>(i))->setText(stored.at(i));
        live->clear();
        live->addItems(stored);
        live->setCurrentIndex(-1);
        live->setEditText(QString());
        controls_.frame->hide();
        messages_.show(QStringLiteral("Saved...and updated in main"),
                       QStringLiteral("Edit Random-list"));
    } catch (const SaveRandomListError& e) {
        QString prompt = QStringLiteral("Try again!");
        if (!e.reason().isEmpty())
            prompt += QStringLiteral("\n\n") + e.reason();
        messages_.show(prompt, QStringLiteral("Error saving.."));
    } catch (const std::exception&) {
        messages_.show(QStringLiteral("Try again!"), QStringLiteral("Error saving.."));
    }
}

void RandomListEditor::cancel() {
    controls_.list->clear();
    controls_.frame->hide();
}

void RandomListEditor::add() {
    QLineEdit* entry = controls_.entry;
    const QString text = entry->text();
    if (text.isEmpty())
        return;
    // A full list keeps the text in the box rather than lose an entry on the
    // next start.
    if (controls_.list->count() >= kMaxRandomListEntries)
        return;
    controls_.list->addItem(text);
    // Clearing keeps an undo step for each character, which for a pasted
    // text of megabytes takes seconds and gigabytes; such a text is emptied
    // without one.
    if (text.size() > kUndoableLength)
        entry->setText(QString());
    else
        entry->clear();
}

void RandomListEditor::removeSelected() {
    QListWidget* list = controls_.list;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    delete list->takeItem(list->row(selected.first()));
    // Nothing stays selected, so each press removes at most one entry.
    list->selectionModel()->clear();
}

void RandomListEditor::clear() {
    controls_.list->clear();
}

void RandomListEditor::entryKeyDown(int KeyCode) {
    if (KeyCode == 13)
        add();
}
