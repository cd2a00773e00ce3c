#include "sound/play_wave.h"

#include "platform/sound_output.h"
#include "sound/sound_log.h"

#include <exception>

void PlayWave(SoundOutput& sound, const QString& path) {
    try {
        sound.play(path);
    } catch (const std::exception& e) {
        qCWarning(lcSound) << "the alert stays silent:" << e.what();
    } catch (...) {
        qCWarning(lcSound) << "the alert stays silent: the sound output failed";
    }
}
