#pragma once

#include "platform/media_service.h"

#include <QObject>

#include <memory>

// Understands one command, "play <path>": everything after the blank is the
// path, so paths with blanks work. The WAV file plays in the background and
// the call returns at once; several sounds may overlap.
class QtMediaService : public MediaService {
public:
    enum Result {
        Ok = 0,
        UnrecognizedCommand = 1,
        FileNotFound = 2,
        NotWave = 3,
        NoAudioDevice = 4,
    };

    QtMediaService();
    ~QtMediaService() override;

    int mciSendString(const QByteArray& command) override;

    // Sounds started and not yet finished or failed.
    int playing() const;

private:
    // Parent of the live sound effects, so the ones still playing go with us.
    std::unique_ptr<QObject> effects_;
};
