#pragma once

#include <QString>

class SoundOutput;

// Starts playing the wave file at `path` and returns at once. Never reports or
// lets anything escape: a missing sound must not disturb the monitor.
void PlayWave(SoundOutput& sound, const QString& path);
