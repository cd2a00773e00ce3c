#pragma once

#include <QListWidget>
#include <QString>

// A folder list: the folders from the root down to the one in view, then the
// subfolders of that one. Activating an entry moves there.
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

signals:
    void changed();

private:
    void fill();

    QString path_;
};
