#include "mainwindow/form1.h"
#include "randomlist/random_list_file.h"

#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>

#include <exception>

namespace {

// Longer texts are emptied from Text2 without an undo step (see Add).
constexpr qsizetype kUndoableLength = 100000;

QStringList entriesOf(const QListWidget* list) {
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->item(i)->text());
    return entries;
}

} // namespace

void Form1::Command4_Click() {
    List1->clear();
    try {
        const int count = Combo2->count();
        QStringList entries;
        entries.reserve(count);
        for (int i = 0; i < count; ++i)
            entries.append(Combo2->itemText(i));
        List1->addItems(entries);
        // Combo2 ends showing its last item, as a copy through the selection
        // leaves it, with one selection instead of one for each item.
        if (count > 0) {
            Combo2->setCurrentIndex(count - 1);
            Combo2->setEditText(entries.last());
        }
    } catch (const std::exception&) {
        // The editor opens with what was copied.
    }
    Frame1->show();
    if (unloadedEntries_.exist() && !unloadedEntriesTold_) {
        unloadedEntriesTold_ = true;
        platform_.messages->show(
            QStringLiteral("The list file vigilo.cfg holds more than %1 entries, more than the "
                           "list can show. The editor shows the first %1; when you save, the "
                           "others stay in the file, unchanged, after the saved list.")
                .arg(kMaxRandomListEntries),
            QStringLiteral("Edit Random-list"));
    }
}

void Form1::Command5_Click() {
    if (List1->count() == 0)
        return; // an empty random list cannot be saved
    try {
        const QStringList entries = entriesOf(List1);
        const QStringList stored =
            SaveRandomList(randomListPath(platform_.program->folder()), entries, unloadedEntries_);
        // The live list holds what the file holds, so this run and the next
        // draw the same texts; a converted entry leads to the same address.
        for (qsizetype i = 0; i < stored.size(); ++i)
            if (stored.at(i) != entries.at(i))
                List1->item(static_cast<int>(i))->setText(stored.at(i));
        Combo2->clear();
        Combo2->addItems(stored);
        Combo2->setCurrentIndex(-1);
        Combo2->setEditText(QString());
        Frame1->hide();
        platform_.messages->show(QStringLiteral("Saved...and updated in main"),
                                 QStringLiteral("Edit Random-list"));
    } catch (const SaveRandomListError& e) {
        QString prompt = QStringLiteral("Try again!");
        if (!e.reason().isEmpty())
            prompt += QStringLiteral("\n\n") + e.reason();
        platform_.messages->show(prompt, QStringLiteral("Error saving.."));
    } catch (const std::exception&) {
        platform_.messages->show(QStringLiteral("Try again!"), QStringLiteral("Error saving.."));
    }
}

void Form1::Command6_Click() {
    List1->clear();
    Frame1->hide();
}

void Form1::Command7_Click() {
    const QString text = Text2->text();
    if (text.isEmpty())
        return;
    // A full list keeps the text in the box rather than lose an entry on the
    // next start.
    if (List1->count() >= kMaxRandomListEntries)
        return;
    List1->addItem(text);
    // Clearing keeps an undo step for each character, which for a pasted
    // text of megabytes takes seconds and gigabytes; such a text is emptied
    // without one.
    if (text.size() > kUndoableLength)
        Text2->setText(QString());
    else
        Text2->clear();
}

void Form1::Command8_Click() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    delete List1->takeItem(List1->row(selected.first()));
    // Nothing stays selected, so each press removes at most one entry.
    List1->selectionModel()->clear();
}

void Form1::Command9_Click() {
    List1->clear();
}

void Form1::Text2_KeyDown(int KeyCode, Qt::KeyboardModifiers) {
    if (KeyCode == 13)
        Command7_Click();
}
