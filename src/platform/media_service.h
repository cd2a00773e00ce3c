#pragma once

#include <QByteArray>

// The media command interface: one command string, e.g. "play C:\x.wav",
// returns at once; the result code is for the curious only.
class MediaService {
public:
    virtual ~MediaService() = default;
    virtual int mciSendString(const QByteArray& command) = 0;
};
