#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The ASCII form of an address with characters beyond Latin-1, the one the
// browser pane asks for: the host name in its ASCII (punycode) form, the rest
// percent-encoded as UTF-8. Blanks around it are no part of it. Empty when
// the text is no address at all.
QByteArray asciiAddress(const QString& address);

// The bytes a typed address goes to the internet reader as: one a character
// while all of them are Latin-1, as ever; otherwise its ASCII form, never a
// "?" for each character Latin-1 lacks. Nothing when it has no such form.
std::optional<QByteArray> addressBytes(const QString& typed);
