#include "platform/audio/audio_log.h"

Q_LOGGING_CATEGORY(lcAudio, "vigilo.audio", QtInfoMsg)
