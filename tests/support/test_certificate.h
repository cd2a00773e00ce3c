#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

// A self-signed certificate for 127.0.0.1 and pages.test (valid 2000-2199),
// made for these tests only, and the server side that presents it.
QSslCertificate testCertificate();
QSslConfiguration testServerTls();
// The key and the certificate as PEM files in `dir`, for servers started as
// programs of their own; returns false when they cannot be written.
bool writeTestKeyAndCertificate(const QString& dir, QString* keyFile, QString* certificateFile);

// While it lives, the test certificate is trusted the way a user points the
// program at certificates of their own: through SSL_CERT_FILE.
class TrustedTestCertificate {
public:
    TrustedTestCertificate();
    ~TrustedTestCertificate();
    TrustedTestCertificate(const TrustedTestCertificate&) = delete;
    TrustedTestCertificate& operator=(const TrustedTestCertificate&) = delete;

private:
    QTemporaryDir dir_;
    QByteArray saved_;
    bool hadOne_;
};
