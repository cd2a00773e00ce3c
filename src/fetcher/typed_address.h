#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// Whether every character has a byte of its own in the list file and on the
// wire.
bool isLatin1(QStringView text);

// The ASCII form of an address with characters beyond Latin-1, the one the
// browser pane asks for: the host name in its ASCII (punycode) form, the rest
// percent-encoded as UTF-8. Empty when the text is no address at all.
QByteArray asciiAddress(const QString& address);

// The bytes a typed address goes to the internet reader as: one a character
// while all of them are Latin-1, as ever; otherwise its ASCII form, never a
// "?" for each character Latin-1 lacks. Nothing when it has no such form.
std::optional<QByteArray> addressBytes(const QString& typed);
