#include "private_session_bus.h"

#include <QFile>
#include <QStandardPaths>

#include <signal.h>
#include <sys/prctl.h>

namespace {

// A session bus that lets everyone talk and own names, and has no folder of
// services to start.
const char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateSessionBus::~PrivateSessionBus() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool PrivateSessionBus::start(QString* why) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        *why = QStringLiteral("dbus-daemon is not installed (Debian package dbus-daemon)");
        return false;
    }
    const QString config = dir_.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QString::fromLatin1(kConfig).arg(dir_.path()).toUtf8()) < 0) {
        *why = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    file.close();
    // However the test ends, the bus ends with it.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(program, {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                             QStringLiteral("--config-file=") + config});
    // The address is the first line it prints, once it listens.
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(10000)) {
            *why = QStringLiteral("dbus-daemon gave no address: ") +
                   QString::fromLocal8Bit(process_.readAllStandardError());
            return false;
        }
    }
    address_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return !address_.isEmpty();
}
