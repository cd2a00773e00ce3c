#include "randomlist/random_list_place.h"

#include "randomlist/random_list_file.h"
#include "randomlist/randomlist_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

bool isSystemFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    return clean == QLatin1String("/usr") || clean.startsWith(QLatin1String("/usr/"));
}

bool isProgramsOwnFolder(const QString& folder) {
    // access() rather than the permission bits: it also sees a read-only
    // mount and an immutable folder, which stop root as well.
    return !isSystemFolder(folder) && QFileInfo(folder).isDir() &&
           ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

QString userConfigFolder() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

RandomListPlace::RandomListPlace(const QString& programFolder)
    : besideProgram_(isProgramsOwnFolder(programFolder)) {
    if (besideProgram_) {
        path_ = randomListPath(programFolder);
        return;
    }
    path_ = randomListPath(userConfigFolder() + QStringLiteral("/vigilo"));
    qCInfo(lcRandomList,
           "The program's folder %s is not its own to write; the random list is kept "
           "in %s",
           qUtf8Printable(programFolder), qUtf8Printable(path_));
}

void RandomListPlace::prepareForSave() const {
    if (besideProgram_)
        return;
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        qCWarning(lcRandomList, "Cannot make the folder %s for the random list", qUtf8Printable(folder));
}
