#include "platform/browser/engine_chatter.h"

#include <QByteArray>
#include <QLoggingCategory>

namespace {
constexpr char kChromiumFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
}

void quietenEngineStartUp() {
    // Rules set here give way to QT_LOGGING_RULES, which is read after them.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.webenginecontext.info=false\ndefault.info=false"));
    QByteArray flags = qgetenv(kChromiumFlags);
    if (!flags.contains("--log-level")) {
        flags += flags.isEmpty() ? "--log-level=3" : " --log-level=3";
        qputenv(kChromiumFlags, flags);
    }
}
