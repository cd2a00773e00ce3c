#pragma once

#include <QListWidget>
#include <QString>

// The files of one folder that match a pattern; at most one is selected.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Lists `path` afresh; the selection is cleared. A folder that cannot be
    // read lists nothing.
    void setPath(const QString& path);
    void setPattern(const QString& pattern);
    // The selected file's name without its folder, empty when none is.
    QString FileName() const;

private:
    void fill();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};
