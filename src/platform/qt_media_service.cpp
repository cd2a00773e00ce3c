#include "platform/qt_media_service.h"

#include "platform/wave_to_pcm16.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

#include <memory>
#include <optional>

namespace {

bool hasWaveHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

QSoundEffect* playEffect(QObject* parent, const QString& path, bool mayConvert);

// Qt cannot decode float or extensible-format WAV files: play a 16-bit copy,
// kept in a temporary file that goes with the effect playing it.
void playConverted(QObject* parent, const QString& path) {
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return;
    const std::optional<QByteArray> pcm = waveToPcm16(original.readAll());
    if (!pcm)
        return;
    auto copy =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/vigilo-XXXXXX.wav"));
    if (!copy->open() || copy->write(*pcm) != pcm->size() || !copy->flush())
        return;
    const QString copyPath = copy->fileName();
    copy->close();
    copy.release()->setParent(playEffect(parent, copyPath, false));
}

QSoundEffect* playEffect(QObject* parent, const QString& path, bool mayConvert) {
    auto* effect = new QSoundEffect(parent);
    // Each effect lives until its sound is over or has failed, then goes.
    QObject::connect(effect, &QSoundEffect::statusChanged, effect,
                     [effect, parent, path, mayConvert] {
                         if (effect->status() == QSoundEffect::Ready && !effect->isPlaying()) {
                             effect->play();
                         } else if (effect->status() == QSoundEffect::Error) {
                             effect->deleteLater();
                             if (mayConvert)
                                 playConverted(parent, path);
                         }
                     });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(path));
    if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
        effect->play();
    return effect;
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

    playEffect(effects_.get(), info.absoluteFilePath(), true);
    return Ok;
}
