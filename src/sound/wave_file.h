#pragma once

#include <QString>

// The chosen alert sound: empty until the wave chooser's OK succeeds, then the
// path the media service plays. Lives only for the run.
extern QString sWaveFile;
