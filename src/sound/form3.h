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
class ShortPathService;

// The wave file chooser: a small tool window browsing drives, folders and
// wave files. OK stores the chosen file's path in the wave path it was given
// and hides; the window is only ever hidden, so it keeps its place and
// selections.
class Form3 : public QWidget {
    Q_OBJECT
public:
    Form3(ShortPathService& shortPath, MessageBoxes& messages, QString& waveFile,
          QWidget* parent = nullptr);

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void wireEvents();

    ShortPathService& shortPath_;
    MessageBoxes& messages_;
    QString& waveFile_;
    bool placed_ = false;
    // The folder last in view on each drive, like a per-drive current folder.
    QHash<QString, QString> driveFolders_;
};
