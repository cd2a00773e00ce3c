#pragma once

#include <QListWidget>
#include <QString>

// A folder list: the folders from the root down to the one in view, then the
// subfolders of that one, each indented one step below its parent. Activating
// an entry moves there. Entries read as the folder's name alone, so typing a
// name's first letters finds it; the list's accessible description and its
// tooltip give the full path of the folder in view.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Moves to `path` and emits changed() if the folder in view changes.
    // Throws std::runtime_error, and stays where it was, if `path` is not a
    // readable folder.
    void setPath(const QString& path);

    static constexpr int PathRole = Qt::UserRole;
    static constexpr int DepthRole = Qt::UserRole + 1; // steps of indentation

signals:
    void changed();

private:
    void fill();

    QString path_;
};
