#pragma once

#include "http_test_server.h"

#include <QHash>
#include <QThread>

// Pages served by the loopback server from a thread of its own, as a remote
// server would serve them: its work does not count against the thread that
// is measured, nor against curl.
class ServedPages {
public:
    explicit ServedPages(const QHash<QString, QByteArray>& bodies);
    ~ServedPages();
    ServedPages(const ServedPages&) = delete;
    ServedPages& operator=(const ServedPages&) = delete;

    QString url(const QString& path) const;

private:
    QThread thread_;
    HttpTestServer* server_;
};
