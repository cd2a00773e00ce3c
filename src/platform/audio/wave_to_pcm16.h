#pragma once

#include <QByteArray>

#include <optional>

// Rewrites a WAV file's sound as plain 16-bit PCM, same rate and channels.
// Qt's sound effects refuse float and extensible-format files, which common
// tools write; converted, they play. Returns nothing for data that is not a
// PCM or float WAV this understands.
std::optional<QByteArray> waveToPcm16(const QByteArray& wav);
