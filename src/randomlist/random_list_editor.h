#pragma once

#include "randomlist/random_list_file.h"
#include "randomlist/random_list_place.h"

#include <QStringList>
#include <QStringListModel>

class MessageBoxes;
class ProgramInfo;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListView;

// The window's controls the editor works on.
struct RandomListControls {
    QGroupBox* frame = nullptr;    // covers the window while the list is edited
    QListView* list = nullptr;     // shows the editor's working copy
    QLineEdit* entry = nullptr;    // the text of an entry to add
    QComboBox* liveList = nullptr; // shows the live list, the one the monitor draws from
};

// The random list: loaded from the list file at start-up into the live list,
// and edited in a frame over the window on a working copy that Save writes to
// the file and puts in the live list's place. Both lists are models of this
// class, which the two controls show. The entries the file holds past the
// most the list can show are kept by every save.
class RandomListEditor {
public:
    RandomListEditor(const RandomListControls& controls, MessageBoxes& messages,
                     const ProgramInfo& program);
    RandomListEditor(const RandomListEditor&) = delete;
    RandomListEditor& operator=(const RandomListEditor&) = delete;

    // Appends the list file's entries to the live list, as many as it has
    // room for, choosing none of them.
    void LoadRandomList();
    // The live list, as the monitor draws from it.
    QStringList entries() const { return live_.stringList(); }

    void open();           // "<< Edit": the working copy from the live list
    void save();           // "Save"
    void cancel();         // "Cancel"
    void add();            // "Add >>": the entry text as a new entry
    void removeSelected(); // "Remove single"
    void clear();          // "Clear"
    // A key pressed in the entry text box; Enter (13) adds.
    void entryKeyDown(int KeyCode);

private:
    QString listPath() const;

    RandomListControls controls_;
    MessageBoxes& messages_;
    const RandomListPlace place_; // chosen once, when the window is made
    QStringListModel live_;
    QStringListModel working_;
    // What the list file holds past the entries loaded, which every save
    // keeps, and whether the user has been told of them.
    UnloadedEntries unloadedEntries_;
    bool unloadedEntriesTold_ = false;
};
