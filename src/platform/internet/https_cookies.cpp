#include "platform/internet/https_cookies.h"

#include "platform/internet/internet_log.h"

#include <QByteArray>

namespace {

// Whether a cookie stored for `domain` goes to `host`.
bool reaches(QByteArrayView domain, bool tailMatch, QByteArrayView host) {
    if (host.compare(domain, Qt::CaseInsensitive) == 0)
        return true;
    return tailMatch && host.size() > domain.size() &&
           host.sliced(host.size() - domain.size()).compare(domain, Qt::CaseInsensitive) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

} // namespace

void keepCookiesSecure(CURL* editor, QByteArrayView host, const QList<QByteArray>& names) {
    curl_slist* stored = nullptr;
    if (curl_easy_getinfo(editor, CURLINFO_COOKIELIST, &stored) != CURLE_OK) {
        // Rather no cookie at all than one that may go out in the clear.
        qCWarning(internetLog, "The cookies could not be looked through; all are dropped");
        curl_easy_setopt(editor, CURLOPT_COOKIELIST, "ALL");
        return;
    }
    // curl lists each cookie on one line: domain, tail match, path, secure,
    // expiry, name, value, separated by tabs.
    QList<QByteArray> lines;
    bool changed = false;
    for (const curl_slist* item = stored; item; item = item->next) {
        QByteArray line(item->data);
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 7 && fields[3] == "FALSE" && names.contains(fields[5])) {
            QByteArrayView domain = fields[0];
            if (domain.startsWith("#HttpOnly_"))
                domain = domain.sliced(10);
            if (domain.startsWith('.'))
                domain = domain.sliced(1);
            if (reaches(domain, fields[1] == "TRUE", host)) {
                fields[3] = "TRUE";
                line = fields.join('\t');
                changed = true;
            }
        }
        lines.append(line);
    }
    curl_slist_free_all(stored);
    if (!changed)
        return;
    // curl keeps a cookie an answer set over one put back in this form, so
    // the store is filled anew.
    curl_easy_setopt(editor, CURLOPT_COOKIELIST, "ALL");
    for (const QByteArray& line : std::as_const(lines))
        if (curl_easy_setopt(editor, CURLOPT_COOKIELIST, line.constData()) != CURLE_OK)
            qCWarning(internetLog, "A cookie could not be put back, and is gone");
}
