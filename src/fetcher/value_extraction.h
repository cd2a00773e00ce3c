#pragma once

#include "fetcher/keyed_collection.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

// One pass of ParseHTML over a page: the values that follow each place the
// token occurs (in either letter case), up to a delimiter, added in page
// order to a collection, which keeps each once. Made a stretch of the page at
// a time, so that a caller may let the window's events run between stretches.
class ValueExtraction {
public:
    // `items` must outlive the extraction. An empty delimiter set stands for
    // the default one, the double quote, '>', '?' and '#'.
    ValueExtraction(const QByteArray& page, const QString& token,
                    const std::optional<QString>& delimiters, KeyedCollection& items);
    ~ValueExtraction();
    ValueExtraction(const ValueExtraction&) = delete;
    ValueExtraction& operator=(const ValueExtraction&) = delete;

    // Whether the page is long enough to hold a value: ParseHTML's result.
    bool scans() const { return scans_; }
    // Goes on over at least `bytes` more of the page, or to its end; true
    // once the page is done.
    bool advance(qsizetype bytes);

private:
    struct Search;

    const QByteArray page_; // shared with the page: a read meanwhile replaces, never changes it
    std::unique_ptr<const Search> search_;
    KeyedCollection& items_;
    const bool scans_;
    qsizetype from_ = 0; // where the search for the next token begins
};

// The page's Latin-1 text without its tabs and line breaks.
QByteArray withoutControlChars(QByteArrayView text);
