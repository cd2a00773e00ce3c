#pragma once

#include "platform/program_info.h"

#include <QDir>
#include <QString>

// The page the browser opens at start-up and goes to for Home: start.htm in
// the program's folder.
inline QString startPagePath(const ProgramInfo& program) {
    return program.folder() + QDir::separator() + QStringLiteral("start.htm");
}
