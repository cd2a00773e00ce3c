#include "platform/qt_media_service.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

bool hasWaveHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

} // namespace

QtMediaService::QtMediaService() : effects_(std::make_unique<QObject>()) {}

QtMediaService::~QtMediaService() = default;

int QtMediaService::playing() const {
    return static_cast<int>(effects_->findChildren<QSoundEffect*>().size());
}

int QtMediaService::mciSendString(const QByteArray& command) {
    static const QByteArray verb = QByteArrayLiteral("play ");
    if (!command.startsWith(verb))
        return UnrecognizedCommand;
    const QFileInfo info(QString::fromLatin1(command.mid(verb.size())));
    if (info.filePath().isEmpty() || !info.isFile())
        return FileNotFound;
    if (!hasWaveHeader(info.filePath()))
        return NotWave;
    if (QMediaDevices::audioOutputs().isEmpty())
        return NoAudioDevice;

    auto* effect = new QSoundEffect(effects_.get());
    // Each effect lives until its sound is over or has failed, then goes.
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
        else if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
        effect->play();
    return Ok;
}
