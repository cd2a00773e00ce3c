#include "mainwindow/window_icon.h"

#include <QSize>
#include <QString>

QIcon vigiloWindowIcon() {
    // The images are compiled into this static library; naming them here keeps
    // the linker from dropping them.
    Q_INIT_RESOURCE(vigilo_icons);
    // The same drawings the desktop's menu shows, one per size, so the window
    // system never has to scale one up.
    QIcon icon;
    for (int size : kWindowIconSizes)
        icon.addFile(QStringLiteral(":/icons/vigilo-%1.png").arg(size), QSize(size, size));
    return icon;
}
