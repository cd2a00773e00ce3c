#pragma once

#include "fetcher/keyed_collection.h"
#include "platform/busy_pointer.h"
#include "platform/event_pump.h"
#include "platform/internet_api.h"
#include "platform/program_info.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

class QObject;

// The program's own page reader: one internet session, the whole content of a
// URL read into a text buffer (or a file), the last error as text, and the
// extraction of delimited values from the page.
class CNetGet {
public:
    CNetGet(InternetApi& internet, BusyPointer& pointer, EventPump& events,
            const ProgramInfo& program);
    ~CNetGet(); // closes the session, as Term does
    CNetGet(const CNetGet&) = delete;
    CNetGet& operator=(const CNetGet&) = delete;

    void CheckError();
    void Init(const std::optional<QString>& vInUserAgent = std::nullopt);
    bool ParseHTML(const QString& sToken, KeyedCollection& colItems,
                   const std::optional<QString>& vDelimiter = std::nullopt);
    bool ReadUrl(const QString& sUrl, const std::optional<QString>& vFileName = std::nullopt);
    void Term();
    QString TranslateErrorCode(std::int32_t lErrorCode) const;

    // Any object with an assignable "text" property: label, line edit...
    void SetStatusWindow(QObject* objStatusWindow);
    QString GetRawHTML() const;
    // The first lMaxChars characters of GetRawHTML, without converting the
    // rest of the page.
    QString GetRawHTMLHead(qsizetype lMaxChars) const;
    // The length of GetRawHTML, without converting the page.
    qsizetype GetRawHTMLLength() const;
    QString GetLastError() const;
    void SetUserAgent(const QString& sInUserAgent);

private:
    // Where GetRawHTML's text lies in sRawHTML: its spaces at either end cut.
    std::pair<qsizetype, qsizetype> rawHTMLBounds() const;
    void ShowStatus(const QString& text);
    void ShowReadingStatus(std::int32_t lTotalRead);
    void reserveAnnounced(QByteArray& page, InternetHandle url);
    // The page's Latin-1 text without its tabs and line breaks.
    static QByteArray StripControlChars(QByteArrayView text);

    InternetApi& internet_;
    BusyPointer& pointer_;
    EventPump& events_;
    const ProgramInfo& program_;

    InternetHandle hSession = 0;
    bool bSessionOpen = false;
    InternetHandle hUrl = 0;
    QByteArray sRawHTML; // page bytes, one Latin-1 character each
    QByteArray spare_;   // an earlier page's buffer, for the next read to fill
    QString sLastError;
    QPointer<QObject> objStatus;
    QString sUserAgent;
    bool bTerminating_ = false; // set while the destructor closes the session
};
