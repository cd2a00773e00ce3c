#include "qt_platform.h"

#include "mainwindow/start_page.h"
#include "platform/audio/qt_sound_output.h"
#include "platform/browser/qt_web_browser.h"
#include "platform/browser/screen_reader_watch.h"
#include "platform/browser/web_accessibility_switch.h"
#include "platform/desktop/clock_seeded_random.h"
#include "platform/desktop/qt_busy_pointer.h"
#include "platform/desktop/qt_message_boxes.h"
#include "platform/desktop/qt_program_info.h"
#include "platform/desktop/qt_window_alerts.h"
#include "platform/desktop/qt_window_frames.h"
#include "platform/internet/curl_page_reader.h"
#include "platform/notifications/qt_desktop_notifications.h"

struct QtPlatform::Services {
    QtProgramInfo program;
    CurlPageReader reader;
    QtWebBrowser browser{startPagePath(program)}; // Home is the start page
    QtSoundOutput sound;
    QtWindowAlerts alerts;
    QtMessageBoxes messages{alerts};
    QtBusyPointer pointer;
    QtWindowFrames frames;
    QtDesktopNotifications notifications;
    // Made after the browser, whose page has started the engine.
    std::unique_ptr<ScreenReaderWatch> screenReader;
    std::unique_ptr<WebAccessibilitySwitch> webAccessibility;
};

QtPlatform::QtPlatform(WebAccessibility webAccessibility)
    : services_(std::make_unique<Services>()) {
    Services& s = *services_;
    if (webAccessibility == WebAccessibility::ScreenReader) {
        s.webAccessibility = std::make_unique<WebAccessibilitySwitch>();
        s.screenReader = ScreenReaderWatch::onSessionBus();
        QObject::connect(s.screenReader.get(), &ScreenReaderWatch::runningChanged,
                         s.webAccessibility.get(), &WebAccessibilitySwitch::setScreenReaderRunning);
    }
    platform_.reader = &s.reader;
    platform_.browser = &s.browser;
    platform_.sound = &s.sound;
    platform_.messages = &s.messages;
    platform_.pointer = &s.pointer;
    platform_.program = &s.program;
    platform_.frames = &s.frames;
    platform_.alerts = &s.alerts;
    platform_.notifications = &s.notifications;
    platform_.random = makeClockSeededRandom();
    platform_.now = [] { return QDateTime::currentDateTime(); };
}

QtPlatform::~QtPlatform() = default;

QtMessageBoxes& QtPlatform::messages() {
    return services_->messages;
}
