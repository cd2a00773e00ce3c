#include "mainwindow/form1.h"
#include "randomlist/random_list_file.h"

#include <QComboBox>

void Form1::LoadRandomList() {
    const qsizetype room = kMaxRandomListEntries - Combo2->count();
    if (room <= 0)
        return;
    RandomListContents contents =
        readRandomListFile(randomListPath(platform_.program->folder()), room);
    unloadedEntries_ = contents.unloaded;
    if (contents.entries.isEmpty())
        return;
    // Appending to an empty combo box selects its first item; the list is
    // only filled here, the user (or the monitor) chooses.
    const int index = Combo2->currentIndex();
    const QString text = Combo2->currentText();
    Combo2->addItems(contents.entries);
    Combo2->setCurrentIndex(index);
    Combo2->setEditText(text);
}
