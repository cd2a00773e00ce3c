#include "qt_platform.h"

#include "mainwindow/start_page.h"
#include "platform/audio/qt_sound_output.h"
#include "platform/browser/qt_web_browser.h"
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
};

QtPlatform::QtPlatform() : services_(std::make_unique<Services>()) {
    Services& s = *services_;
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
