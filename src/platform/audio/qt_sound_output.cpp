#include "platform/audio/qt_sound_output.h"

#include "platform/audio/audio_log.h"
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

QtSoundOutput::QtSoundOutput()
    : pending_(std::make_shared<std::atomic<int>>(0)), thread_(new QThread),
      player_(new QtSoundPlayer(pending_)) {
    thread_->setObjectName(QStringLiteral("vigilo sound"));
    player_->moveToThread(thread_);
    // The player, its sounds and their copies go on the thread they live on.
    QObject::connect(thread_, &QThread::finished, player_, &QObject::deleteLater);
    thread_->start();
}

QtSoundOutput::~QtSoundOutput() {
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(kFarewellMs))) {
        delete thread_;
        return;
    }
    // Held inside the sound system, which cannot be interrupted; destroying a
    // running thread would abort the process. The thread finishes whenever
    // the sound system lets go, or ends with the process.
    qCWarning(lcAudio) << "the sound system hangs; its thread is left behind";
    strand(thread_);
}

int QtSoundOutput::playing() const {
    return pending_->load();
}

void QtSoundOutput::play(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        qCWarning(lcAudio) << "no sound: no file at" << path;
        return;
    }
    if (!hasWaveHeader(path)) {
        qCWarning(lcAudio) << "no sound: not a WAV file:" << path;
        return;
    }
    pending_->fetch_add(1);
    QtSoundPlayer* player = player_;
    const QString absolute = info.absoluteFilePath();
    QMetaObject::invokeMethod(
        player_, [player, absolute] { player->play(absolute); }, Qt::QueuedConnection);
}
