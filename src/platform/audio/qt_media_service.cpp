#include "platform/audio/qt_media_service.h"

#include "platform/audio/qt_sound_player.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <stdlib.h>

namespace {

bool hasWaveHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

// Sound threads left behind inside a hung sound system. Kept, never deleted,
// so that the process can still ask them at its end; only the main thread
// touches the list.
std::vector<QThread*> stranded;

// Qt Multimedia's clean-up at the end of the process waits for a lock that a
// hung sound thread holds, for as long as the sound system hangs. With such a
// thread still about, the process ends at once, with the status it was ending
// with.
void endWithoutCleanUp(int status, void*) {
    for (QThread* thread : stranded)
        if (thread->isRunning()) {
            std::fflush(nullptr);
            std::_Exit(status);
        }
}

void strand(QThread* thread) {
    static const bool guarded = ::on_exit(endWithoutCleanUp, nullptr) == 0;
    if (guarded)
        stranded.push_back(thread);
}

} // namespace

QtMediaService::QtMediaService()
    : pending_(std::make_shared<std::atomic<int>>(0)), thread_(new QThread),
      player_(new QtSoundPlayer(pending_)) {
    thread_->setObjectName(QStringLiteral("vigilo sound"));
    player_->moveToThread(thread_);
    // The player, its sounds and their copies go on the thread they live on.
    QObject::connect(thread_, &QThread::finished, player_, &QObject::deleteLater);
    thread_->start();
}

QtMediaService::~QtMediaService() {
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(kFarewellMs))) {
        delete thread_;
        return;
    }
    // Held inside the sound system, which cannot be interrupted; destroying a
    // running thread would abort the process. The thread finishes whenever
    // the sound system lets go, or ends with the process.
    strand(thread_);
}

int QtMediaService::playing() const {
    return pending_->load();
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

    pending_->fetch_add(1);
    QtSoundPlayer* player = player_;
    const QString path = info.absoluteFilePath();
    QMetaObject::invokeMethod(
        player_, [player, path] { player->play(path); }, Qt::QueuedConnection);
    return Ok;
}
