#pragma once

#include "platform/media_service.h"

#include <atomic>
#include <memory>

class QThread;
class QtSoundPlayer;

// Understands one command, "play <path>": everything after the blank is the
// path, so paths with blanks work. The WAV file plays in the background and
// the call returns at once, whatever state the sound system is in: the sound
// work runs on a thread of its own. Several sounds may overlap.
class QtMediaService : public MediaService {
public:
    enum Result {
        Ok = 0, // handed to the sound thread; what it hears is not reported
        UnrecognizedCommand = 1,
        FileNotFound = 2,
        NotWave = 3,
    };

    QtMediaService();
    // Waits a moment for the sound thread to release its sounds; a thread
    // held by a hung sound system is left behind rather than waited for.
    ~QtMediaService() override;
    QtMediaService(const QtMediaService&) = delete;
    QtMediaService& operator=(const QtMediaService&) = delete;

    int mciSendString(const QByteArray& command) override;

    // Sounds asked for and not yet finished or failed.
    int playing() const;

    static constexpr int kFarewellMs = 1000;

private:
    std::shared_ptr<std::atomic<int>> pending_;
    QThread* thread_;
    QtSoundPlayer* player_;
};
