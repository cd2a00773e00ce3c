#pragma once

class QComboBox;
class QListWidget;

// Sets up the two views of the random list so that opening, changing and
// drawing them costs next to nothing, however many entries there are and
// however long they are.
void prepareRandomListViews(QListWidget* list, QComboBox* combo);
