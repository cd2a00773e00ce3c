#pragma once

#include "fake_platform.h"
#include "fetcher/cnetget.h"
#include "status_recorder.h"

// One CNetGet on a given internet layer, with a recorded status window,
// pointer and event pump.
struct FetcherRig {
    explicit FetcherRig(InternetApi& internet) : net(internet, pointer, events, program) {
        program.exeName_ = QStringLiteral("vigilo");
        net.SetStatusWindow(&status);
    }

    FakeBusyPointer pointer;
    FakeEventPump events;
    FakeProgram program;
    StatusRecorder status;
    CNetGet net;
};
