#include "platform/desktop/qt_program_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

QString QtProgramInfo::folder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString QtProgramInfo::exeName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void QtProgramInfo::endProcess() {
    std::fflush(nullptr);
    std::_Exit(0);
}
