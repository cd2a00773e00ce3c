#include "platform/audio/qt_sound_player.h"

#include "platform/audio/audio_log.h"
#include "platform/audio/wave_to_pcm16.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

#include <optional>

QtSoundPlayer::QtSoundPlayer(std::shared_ptr<std::atomic<int>> pending)
    : pending_(std::move(pending)) {}

void QtSoundPlayer::done() {
    pending_->fetch_sub(1);
}

void QtSoundPlayer::play(const QString& path) {
    // The first call here connects to the sound system, which may hang for
    // its full timeout; the window does not wait for it.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        qCWarning(lcAudio) << "no sound: the sound system offers no output";
        return done();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcAudio) << "no sound:" << path << file.errorString();
        return done();
    }
    const QByteArray original = file.readAll();
    file.close();

    // Qt decodes only plain 8- and 16-bit files, and hangs on a data size
    // larger than the file: anything else plays from a 16-bit copy, made
    // before the first try so that a failing sound system is tried once.
    QString source = path;
    std::unique_ptr<QTemporaryFile> copy;
    const std::optional<QByteArray> pcm = waveToPcm16(original);
    if (pcm && *pcm != original) {
        copy = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                QStringLiteral("/vigilo-XXXXXX.wav"));
        if (!copy->open() || copy->write(*pcm) != pcm->size() || !copy->flush()) {
            qCWarning(lcAudio) << "no sound: cannot write a playable copy of" << path
                               << copy->errorString();
            return done();
        }
        source = copy->fileName();
        copy->close();
    }

    auto* effect = new QSoundEffect(this);
    // Whatever way the effect goes, its sound is over; its copy goes with it.
    connect(effect, &QObject::destroyed, [pending = pending_] { pending->fetch_sub(1); });
    if (copy)
        copy.release()->setParent(effect);
    const auto failed = [effect, path] {
        qCWarning(lcAudio) << "no sound: the sound system could not play" << path;
        effect->deleteLater();
    };
    connect(effect, &QSoundEffect::statusChanged, effect, [effect, failed] {
        if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
        else if (effect->status() == QSoundEffect::Error)
            failed();
    });
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(source));
    if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
        effect->play();
    else if (effect->status() == QSoundEffect::Error)
        failed();
}
