#pragma once

#include <QString>

// Plays a wave file in the background. play() returns at once and reports
// nothing: a sound that cannot be played is silence, never a reason for the
// caller to stop.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual void play(const QString& path) = 0;
};
