#pragma once

#include <QSslCertificate>
#include <QSslConfiguration>

// A self-signed certificate for 127.0.0.1 (valid 2000-2199), made for these
// tests only, and the server side that presents it.
QSslCertificate testCertificate();
QSslConfiguration testServerTls();
