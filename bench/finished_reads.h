#pragma once

#include "fetcher/cnetget.h"

#include <QEventLoop>
#include <QObject>
#include <QString>

// A bench times whole reads: it starts one and waits here, in an event loop
// of its own, until the read has ended and whatever else the read's end
// runs first (the monitor's scan is connected before this) has run too.
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
