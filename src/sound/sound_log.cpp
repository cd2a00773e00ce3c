#include "sound/sound_log.h"

Q_LOGGING_CATEGORY(lcSound, "vigilo.sound", QtInfoMsg)
