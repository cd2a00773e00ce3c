#pragma once

#include "fetcher/cnetget.h"
#include "monitor/period_monitor.h"

#include <QEventLoop>
#include <QObject>
#include <QString>

// A bench times whole reads and scans: it starts one and waits here, in an
// event loop of its own, until it has ended; the monitor's own slots, being
// connected first, have run by then.
template <typename Start> bool untilReadFinished(CNetGet& net, Start&& start) {
    QEventLoop loop;
    bool ok = false;
    const QMetaObject::Connection done =
        QObject::connect(&net, &CNetGet::readFinished, &loop, [&](bool result) {
            ok = result;
            loop.quit();
        });
    start();
    loop.exec();
    QObject::disconnect(done);
    return ok;
}

inline bool readPage(CNetGet& net, const QString& url) {
    return untilReadFinished(net, [&] { net.ReadUrl(url); });
}

// Starts a period end and waits until its scan is over: its read's end, and
// the stretches of a huge page's extractions after it.
template <typename Start> void untilScanEnds(PeriodMonitor& monitor, Start&& start) {
    QEventLoop loop;
    auto over = [&] {
        if (!monitor.bBusy())
            loop.quit();
    };
    CNetGet& net = *monitor.objNetGet;
    const QMetaObject::Connection read =
        QObject::connect(&net, &CNetGet::readFinished, &loop, over);
    const QMetaObject::Connection parsed = QObject::connect(&net, &CNetGet::parsed, &loop, over);
    start();
    if (monitor.bBusy())
        loop.exec();
    QObject::disconnect(read);
    QObject::disconnect(parsed);
}
