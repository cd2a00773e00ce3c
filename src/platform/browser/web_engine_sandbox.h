#pragma once

// The web engine's sandbox refuses to run as root: as root, it is switched
// off for this process and the processes it starts. Called before the
// application object is made.
void allowWebEngineAsRoot();
