#pragma once

#include "platform/busy_pointer.h"
#include "platform/desktop_notifications.h"
#include "platform/event_pump.h"
#include "platform/internet_api.h"
#include "platform/media_service.h"
#include "platform/message_boxes.h"
#include "platform/program_info.h"
#include "platform/short_path_service.h"
#include "platform/web_browser.h"
#include "platform/window_alerts.h"
#include "platform/window_frames.h"

#include <functional>

// Everything the program asks of the machine, handed to the main window
// through its constructor, which hands each part on to the classes that use
// it. The real set comes from QtPlatform (app/), tests build one from fakes.
// None of the pointers is owned here.
struct Platform {
    InternetApi* internet = nullptr;
    WebBrowser* browser = nullptr;
    MediaService* media = nullptr;
    ShortPathService* shortPath = nullptr;
    MessageBoxes* messages = nullptr;
    BusyPointer* pointer = nullptr;
    EventPump* events = nullptr;
    ProgramInfo* program = nullptr;
    WindowFrames* frames = nullptr;
    WindowAlerts* alerts = nullptr;
    DesktopNotifications* notifications = nullptr;
    // A uniform fraction in [0, 1); each call moves on through the sequence.
    std::function<double()> random;
};
