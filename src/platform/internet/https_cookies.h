#pragma once

#include <QByteArrayView>
#include <QList>

#include <curl/curl.h>

// Makes the cookies named `names` that `host` receives go out over HTTPS
// only, as if they had come with "Secure": a cookie an answer over HTTPS set
// must never be sent in the clear afterwards. `editor` is a handle on the
// shared cookie store that no download uses.
void keepCookiesSecure(CURL* editor, QByteArrayView host, const QList<QByteArray>& names);
