#pragma once

class QComboBox;
class QListView;

// Sets up the two views of the random list so that opening, changing and
// drawing them costs next to nothing, however many entries there are and
// however long they are. Entries change only through the editor's buttons,
// never in place.
void prepareRandomListViews(QListView* list, QComboBox* combo);
