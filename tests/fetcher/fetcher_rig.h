#pragma once

#include "fake_platform.h"
#include "fetcher/cnetget.h"
#include "status_recorder.h"

#include <QSignalSpy>

// One CNetGet on a reader that ends each read when the test says so, with a
// recorded status window and pointer.
struct FetcherRig {
    FetcherRig() : net(reader, pointer, program), finished(&net, &CNetGet::readFinished) {
        program.exeName_ = QStringLiteral("vigilo");
        net.SetStatusWindow(&status);
    }

    // Makes `page` the page text, through a read that ends at once.
    void load(const QByteArray& page) {
        net.ReadUrl(QStringLiteral("http://page/"));
        reader.finish(page);
        finished.clear();
        status.texts.clear();
        pointer.calls.clear();
    }

    // The outcome of the one read that ended since the last call, or none
    // when no read or more than one ended.
    std::optional<bool> outcome() {
        if (finished.size() != 1)
            return std::nullopt;
        return finished.takeFirst().at(0).toBool();
    }

    FakePageReader reader;
    FakeBusyPointer pointer;
    FakeProgram program;
    StatusRecorder status;
    CNetGet net;
    QSignalSpy finished;
};
