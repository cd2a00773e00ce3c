#include "platform/desktop/qt_short_path_service.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstring>

std::uint32_t QtShortPathService::GetShortPathName(const QByteArray& longPath, char* buffer,
                                                   std::uint32_t length) {
    if (!buffer || longPath.isEmpty() || longPath.contains('\0'))
        return 0;
    const QFileInfo info(QString::fromLatin1(longPath));
    if (!info.isFile())
        return 0;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray result = absolute.toLatin1();
    // A name the code page cannot hold would come out as '?': refuse it
    // rather than hand back a path to some other file.
    if (QString::fromLatin1(result) != absolute)
        return 0;
    const auto size = static_cast<std::uint32_t>(result.size());
    if (size + 1 > length)
        return 0;
    std::memcpy(buffer, result.constData(), size + 1);
    return size;
}
