#pragma once

#include <QString>

class ProgramInfo;

// The page the browser opens at start-up and goes to for Home: start.htm
// beside the program, as in a build folder or a per-user install, or else in
// ../share/vigilo, where the package puts it for the program in /usr/bin.
// When neither exists, the path beside the program: the window opens anyway.
QString startPagePath(const ProgramInfo& program);
