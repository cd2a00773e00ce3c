#include "build_info.h"
#include "mainwindow/form1.h"
#include "platform/browser/engine_accessibility.h"
#include "platform/browser/engine_chatter.h"
#include "platform/browser/web_engine_sandbox.h"
#include "platform/desktop/qt_message_boxes.h"
#include "qt_platform.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Each line the program logs says when; the journal, where a program
    // started from the menu logs to, notes the time anyway.
    if (!qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN"))
        qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss} %{if-category}%{category}: "
                                          "%{endif}%{if-warning}warning: %{endif}%{message}"));
    quietenEngineStartUp();
    allowWebEngineAsRoot();
    const WebAccessibility webAccessibility = prepareEngineAccessibility();
    // Qt's own event dispatcher, whose rounds cost half as much as GLib's;
    // a page comes in over many of them. Whoever set the variable keeps their
    // choice.
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
