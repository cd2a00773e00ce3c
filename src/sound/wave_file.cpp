#include "sound/wave_file.h"

QString sWaveFile;
