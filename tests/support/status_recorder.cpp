#include "status_recorder.h"
