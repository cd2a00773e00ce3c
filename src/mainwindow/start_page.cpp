#include "mainwindow/start_page.h"

#include "mainwindow/window_log.h"
#include "platform/program_info.h"

#include <QDir>
#include <QFileInfo>

QString startPagePath(const ProgramInfo& program) {
    const QString folder = program.folder();
    const QString beside = folder + QDir::separator() + QStringLiteral("start.htm");
    if (QFileInfo::exists(beside))
        return beside;
    const QString shared = QDir::toNativeSeparators(QDir::cleanPath(
        QDir::fromNativeSeparators(folder) + QStringLiteral("/../share/vigilo/start.htm")));
    if (QFileInfo::exists(shared))
        return shared;
    qCWarning(lcWindow, "No start page: neither %s nor %s exists", qUtf8Printable(beside),
              qUtf8Printable(shared));
    return beside;
}
