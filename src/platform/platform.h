#pragma once

#include "platform/busy_pointer.h"
#include "platform/desktop_notifications.h"
#include "platform/message_boxes.h"
#include "platform/page_reader.h"
#include "platform/program_info.h"
#include "platform/sound_output.h"
#include "platform/web_browser.h"
#include "platform/window_alerts.h"
#include "platform/window_frames.h"

#include <QDateTime>

#include <functional>

// Everything the program asks of the machine, handed to the main window
// through its constructor, which hands each part on to the classes that use
// it. The real set comes from QtPlatform (app/), tests build one from fakes.
// None of the pointers is owned here.
struct Platform {
    PageReader* reader = nullptr;
    WebBrowser* browser = nullptr;
    SoundOutput* sound = nullptr;
    MessageBoxes* messages = nullptr;
    BusyPointer* pointer = nullptr;
    ProgramInfo* program = nullptr;
    WindowFrames* frames = nullptr;
    WindowAlerts* alerts = nullptr;
    DesktopNotifications* notifications = nullptr;
    // A uniform fraction in [0, 1); each call moves on through the sequence.
    std::function<double()> random;
    // The local time now.
    std::function<QDateTime()> now;
};
