#include "fetcher/cnetget.h"
#include "platform/busy_pointer.h"

bool CNetGet::ParseHTML(const QString& sToken, KeyedCollection& colItems,
                        const std::optional<QString>& vDelimiter) {
    pointer_.setBusy();
    ShowStatus(QStringLiteral("Parsing page..."));
    ValueExtraction extraction(sRawHTML, sToken, vDelimiter, colItems);
    while (!extraction.advance(sRawHTML.size())) {
    }
    ShowStatus(QStringLiteral("Ready"));
    pointer_.restore();
    return extraction.scans();
}

bool CNetGet::ParseHTMLInStretches(QList<ParseRequest> requests) {
    CancelParse();
    parses_ = std::move(requests);
    return parseStretch();
}

void CNetGet::CancelParse() {
    parseTimer_.stop();
    parses_.clear();
    if (parsing_) {
        parsing_.reset();
        pointer_.restore();
    }
}

// A stretch of each extraction at most, as ParseHTML makes them, with its
// texts and pointer; the rest at the next round of the event loop.
bool CNetGet::parseStretch() {
    while (!parses_.isEmpty()) {
        if (!parsing_) {
            const ParseRequest& next = parses_.first();
            pointer_.setBusy();
            ShowStatus(QStringLiteral("Parsing page..."));
            parsing_ = std::make_unique<ValueExtraction>(sRawHTML, next.sToken, next.vDelimiter,
                                                         *next.colItems);
        }
        if (!parsing_->advance(kParseStretch)) {
            parseTimer_.start(0);
            return false;
        }
        parsing_.reset();
        parses_.removeFirst();
        ShowStatus(QStringLiteral("Ready"));
        pointer_.restore();
    }
    return true;
}

QByteArray CNetGet::StripControlChars(QByteArrayView text) {
    return withoutControlChars(text);
}
