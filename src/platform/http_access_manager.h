#pragma once

#include <QNetworkAccessManager>

// Hands out HttpReply for HTTP and HTTPS downloads, and Qt's own replies for
// anything else.
class HttpAccessManager : public QNetworkAccessManager {
    Q_OBJECT
public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override;
};
