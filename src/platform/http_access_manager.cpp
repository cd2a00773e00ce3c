#include "platform/http_access_manager.h"

#include "platform/http_reply.h"

QNetworkReply* HttpAccessManager::createRequest(Operation op, const QNetworkRequest& request,
                                                QIODevice* outgoingData) {
    const QString scheme = request.url().scheme().toLower();
    if (op == GetOperation && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        return new HttpReply(request, cookieJar(), this);
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}
