#include "sound/play_wave.h"

#include "platform/media_service.h"

#include <QByteArray>

void PlayWave(MediaService& media, const QString& path) {
    try {
        const QByteArray bytes = path.toLatin1();
        // A character outside the code page would turn into '?' and could name
        // some other file; such a path cannot be played, so stay silent.
        if (QString::fromLatin1(bytes) != path)
            return;
        media.mciSendString(QByteArrayLiteral("play ") + bytes);
    } catch (...) {
    }
}
