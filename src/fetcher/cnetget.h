#pragma once

#include "fetcher/keyed_collection.h"
#include "fetcher/value_extraction.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class BusyPointer;
class PageReader;
class ProgramInfo;
class QFile;
struct PageResult;

// The program's own page reader: one session, the whole content of a URL
// read into a text buffer (or a file), the last error as text, and the
// extraction of delimited values from the page. A read ends in a result:
// ReadUrl starts it and readFinished follows, once, from the event loop.
class CNetGet : public QObject {
    Q_OBJECT
public:
    CNetGet(PageReader& reader, BusyPointer& pointer, const ProgramInfo& program,
            QObject* parent = nullptr);
    ~CNetGet() override; // a read under way is abandoned
    CNetGet(const CNetGet&) = delete;
    CNetGet& operator=(const CNetGet&) = delete;

    // Records the text of the code the last read or close left, when above 0.
    void CheckError();
    void Init(const std::optional<QString>& vInUserAgent = std::nullopt);
    bool ParseHTML(const QString& sToken, KeyedCollection& colItems,
                   const std::optional<QString>& vDelimiter = std::nullopt);
    // One ParseHTML call, to be made later: its collection must outlive it.
    struct ParseRequest {
        QString sToken;
        KeyedCollection* colItems = nullptr;
        std::optional<QString> vDelimiter;
    };
    // Makes the ParseHTML calls in order, a stretch of the page at a time:
    // whatever fits one stretch is done before this returns, and then it
    // returns true; else the rest follows a stretch per round of the event
    // loop, so that a huge page never holds the window, and parsed() ends it.
    // A read begun meanwhile, or CancelParse, abandons what is left.
    bool ParseHTMLInStretches(QList<ParseRequest> requests);
    void CancelParse();
    // Starts reading the URL into the page, or into the file vFileName; a read
    // still under way is abandoned. readFinished follows, never from inside
    // this call.
    void ReadUrl(const QString& sUrl, const std::optional<QString>& vFileName = std::nullopt);
    // Abandons the read under way: no readFinished follows and the page stays.
    void CancelRead();
    bool Reading() const { return reading_ != nullptr; }
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

signals:
    // The read ReadUrl started ended: the page (or file) is there when `ok`,
    // else GetLastError says why.
    void readFinished(bool ok);
    // The extractions ParseHTMLInStretches left for later are done.
    void parsed();

private:
    struct Read;
    enum class Ending;

    // About 2.5 ms of extraction on an ordinary machine.
    static constexpr qsizetype kParseStretch = 4 * 1024 * 1024;

    // Where GetRawHTML's text lies in sRawHTML: its spaces at either end cut.
    std::pair<qsizetype, qsizetype> rawHTMLBounds() const;
    void ShowStatus(const QString& text);
    void progressed(qint64 bytes);
    void finished(const PageResult& result);
    void failLater(const QString& text, Ending ending);
    bool parseStretch();
    void end(bool ok, Ending ending);
    // The page's Latin-1 text without its tabs and line breaks.
    static QByteArray StripControlChars(QByteArrayView text);

    PageReader& reader_;
    BusyPointer& pointer_;
    const ProgramInfo& program_;

    bool bSessionOpen = false;
    std::int32_t lLastCode_ = 0; // the code the last read or close left
    QByteArray sRawHTML;         // page bytes, one Latin-1 character each
    QByteArray spare_;           // an earlier page's buffer, for the next read to fill
    QString sLastError;
    QPointer<QObject> objStatus;
    QString sUserAgent;
    std::unique_ptr<Read> reading_;
    QList<ParseRequest> parses_; // the extractions still to make, the first under way
    std::unique_ptr<ValueExtraction> parsing_;
    QTimer parseTimer_;
    quint64 reads_ = 0; // reads begun
};
