#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class DriveList;
class FileList;
class FolderList;
class MessageBoxes;
class QLabel;
class QPushButton;

// The wave file chooser: a small tool window browsing drives, folders and
// wave files. OK hands on the chosen file's path and hides; the window is
// only ever hidden, so it keeps its place and selections.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(MessageBoxes& messages, QWidget* parent = nullptr);

    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    QLabel* Label1 = nullptr;
    FileList* File1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel

signals:
    // OK with an existing file selected: its full path, as the file system
    // names it.
    void fileChosen(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void wireEvents();

    MessageBoxes& messages_;
    bool placed_ = false;
    // The folder last in view on each drive, like a per-drive current folder.
    QHash<QString, QString> driveFolders_;
};
