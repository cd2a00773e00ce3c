#pragma once

#include "platform/sound_output.h"

#include <atomic>
#include <memory>

class QThread;
class QtSoundPlayer;

// Plays WAV files in the background: the call returns at once, whatever state
// the sound system is in, since the sound work runs on a thread of its own.
// Several sounds may overlap. A path that names no WAV file is refused before
// any sound work starts.
class QtSoundOutput : public SoundOutput {
public:
    QtSoundOutput();
    // Waits a moment for the sound thread to release its sounds; a thread
    // held by a hung sound system is left behind rather than waited for.
    ~QtSoundOutput() override;
    QtSoundOutput(const QtSoundOutput&) = delete;
    QtSoundOutput& operator=(const QtSoundOutput&) = delete;

    void play(const QString& path) override;

    // Sounds started and not yet finished or failed.
    int playing() const;

    static constexpr int kFarewellMs = 1000;

private:
    std::shared_ptr<std::atomic<int>> pending_;
    QThread* thread_;
    QtSoundPlayer* player_;
};
