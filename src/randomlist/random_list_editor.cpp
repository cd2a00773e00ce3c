#include "randomlist/random_list_editor.h"

#include "platform/message_boxes.h"
#include "platform/program_info.h"
#include "randomlist/entry_views.h"
#include "randomlist/randomlist_log.h"

#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>

#include <exception>

namespace {

// Longer texts are emptied from the entry box without an undo step (see add).
constexpr qsizetype kUndoableLength = 100000;

} // namespace

RandomListEditor::RandomListEditor(const RandomListControls& controls, MessageBoxes& messages,
                                   const ProgramInfo& program)
    : controls_(controls), messages_(messages), place_(program.folder()) {
    controls_.list->setModel(&working_);
    controls_.liveList->setModel(&live_);
    prepareRandomListViews(controls_.list, controls_.liveList);
}

QString RandomListEditor::listPath() const {
    return place_.path();
}

void RandomListEditor::LoadRandomList() {
    QComboBox* live = controls_.liveList;
    const qsizetype room = kMaxRandomListEntries - live_.rowCount();
    if (room <= 0)
        return;
    RandomListContents contents = readRandomListFile(listPath(), room);
    unloadedEntries_ = contents.unloaded;
    if (contents.entries.isEmpty())
        return;
    // A new list makes the combo box choose its first item; the list is only
    // filled here, the user (or the monitor) chooses.
    const int index = live->currentIndex();
    const QString text = live->currentText();
    live_.setStringList(live_.stringList() + contents.entries);
    live->setCurrentIndex(index);
    live->setEditText(text);
}

void RandomListEditor::open() {
    QComboBox* live = controls_.liveList;
    try {
        working_.setStringList(live_.stringList());
        // The live list ends showing its last item, as a copy through the
        // selection leaves it, with one selection instead of one for each item.
        const int count = live_.rowCount();
        if (count > 0) {
            live->setCurrentIndex(count - 1);
            live->setEditText(live->itemText(count - 1));
        }
    } catch (const std::exception& e) {
        // The editor opens with what was copied.
        qCWarning(lcRandomList) << "the editor opens without the whole list:" << e.what();
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
    QComboBox* live = controls_.liveList;
    if (working_.rowCount() == 0)
        return; // an empty random list cannot be saved
    try {
        const QStringList entries = working_.stringList();
        place_.prepareForSave();
        const QStringList stored = SaveRandomList(listPath(), entries, unloadedEntries_);
        // The live list holds what the file holds, so this run and the next
        // draw the same texts; a converted entry leads to the same address.
        if (stored != entries)
            working_.setStringList(stored);
        live_.setStringList(stored);
        live->setCurrentIndex(-1);
        live->setEditText(QString());
        controls_.frame->hide();
        messages_.show(QStringLiteral("Saved...and updated in main"),
                       QStringLiteral("Edit Random-list"));
    } catch (const SaveRandomListError& e) {
        qCWarning(lcRandomList) << "the list was not saved:" << e.what();
        QString prompt = QStringLiteral("Try again!");
        if (!e.reason().isEmpty())
            prompt += QStringLiteral("\n\n") + e.reason();
        messages_.show(prompt, QStringLiteral("Error saving.."));
    } catch (const std::exception& e) {
        qCWarning(lcRandomList) << "the list was not saved:" << e.what();
        messages_.show(QStringLiteral("Try again!"), QStringLiteral("Error saving.."));
    }
}

void RandomListEditor::cancel() {
    working_.setStringList({});
    controls_.frame->hide();
}

void RandomListEditor::add() {
    QLineEdit* entry = controls_.entry;
    const QString text = entry->text();
    if (text.isEmpty())
        return;
    // A full list keeps the text in the box rather than lose an entry on the
    // next start.
    const int row = working_.rowCount();
    if (row >= kMaxRandomListEntries)
        return;
    working_.insertRows(row, 1);
    working_.setData(working_.index(row), text);
    // Clearing keeps an undo step for each character, which for a pasted
    // text of megabytes takes seconds and gigabytes; such a text is emptied
    // without one.
    if (text.size() > kUndoableLength)
        entry->setText(QString());
    else
        entry->clear();
}

void RandomListEditor::removeSelected() {
    QItemSelectionModel* selection = controls_.list->selectionModel();
    const QModelIndexList selected = selection->selectedRows();
    if (selected.isEmpty())
        return;
    working_.removeRows(selected.first().row(), 1);
    // Nothing stays selected, so each press removes at most one entry.
    selection->clear();
}

void RandomListEditor::clear() {
    working_.setStringList({});
}

void RandomListEditor::entryKeyDown(int KeyCode) {
    if (KeyCode == 13)
        add();
}
