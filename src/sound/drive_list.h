#pragma once

#include <QComboBox>
#include <QString>

// The drives of this platform: the roots of the mounted file systems. Each
// item's data is its root path; the text may add the volume's name.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    // The root path of the chosen drive.
    QString Drive() const;
    // Chooses the drive that holds `path`; false if none is listed.
    bool selectDriveOf(const QString& path);

    static QString rootOf(const QString& path);
};
