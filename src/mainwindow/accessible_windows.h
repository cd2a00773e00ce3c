#pragma once

// Assistive tools see the program's windows as windows (frames), with their
// titles, rather than as anonymous panes: a plain widget window would
// otherwise be announced as a filler.
void exposeWindowsToAssistiveTools();
