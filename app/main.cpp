#include "build_info.h"
#include "mainwindow/form1.h"
#include "platform/browser/engine_accessibility.h"
#include "platform/browser/web_engine_sandbox.h"
#include "platform/desktop/qt_message_boxes.h"
#include "qt_platform.h"

#include <QApplication>

int main(int argc, char** argv) {
    allowWebEngineAsRoot();
    const WebAccessibility webAccessibility = prepareEngineAccessibility();
    // Qt's own event dispatcher: a page is read with one round of events per
    // chunk, and a round costs half as much as through GLib's. Whoever set
    // the variable keeps their choice.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The window's class and the desktop entry's name tie the window to its
    // launcher, whatever name the executable was started by.
    QCoreApplication::setApplicationName(QStringLiteral(VIGILO_WM_CLASS));
    QGuiApplication::setDesktopFileName(QStringLiteral(VIGILO_APP_ID));
    QApplication app(argc, argv);

    QtPlatform platform(webAccessibility);
    Form1 window(platform.platform());
    platform.messages().setParentWindow(&window);
    window.show();
    return app.exec();
}
