#pragma once

// Wave files written by hand for the sound tests: a sine tone or white noise as
// 16-bit PCM, or a tone as 32-bit float samples (which Qt refuses and the
// service converts).

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace test_waves {

constexpr int kRate = 44100;

inline void put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Mono; `tag` 1 is PCM, 3 is IEEE float.
inline QByteArray header(quint16 tag, quint16 bits, qsizetype dataBytes) {
    QByteArray wav("RIFF");
    put32(wav, static_cast<quint32>(36 + dataBytes));
    wav.append("WAVEfmt ");
    put32(wav, 16);
    put16(wav, tag);
    put16(wav, 1);
    put32(wav, kRate);
    put32(wav, kRate * bits / 8);
    put16(wav, bits / 8);
    put16(wav, bits);
    wav.append("data");
    put32(wav, static_cast<quint32>(dataBytes));
    return wav;
}

inline double sample(int i, double hertz, double amplitude) {
    return amplitude * std::sin(2 * std::numbers::pi * hertz * i / kRate);
}

inline QByteArray toneWave(double seconds, double hertz, double amplitude) {
    const int frames = static_cast<int>(seconds * kRate);
    QByteArray data;
    for (int i = 0; i < frames; ++i)
        put16(data, static_cast<quint16>(
                        static_cast<qint16>(std::lround(sample(i, hertz, amplitude) * 32767))));
    return header(1, 16, data.size()) + data;
}

// Two copies of one tone played a fraction of a period apart cancel out; two
// copies of noise cannot, whatever the delay between them.
inline QByteArray noiseWave(double seconds, double amplitude) {
    const int frames = static_cast<int>(seconds * kRate);
    std::minstd_rand random(440);
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const double unit = double(random() - random.min()) / (random.max() - random.min());
        put16(data, static_cast<quint16>(
                        static_cast<qint16>(std::lround((2 * unit - 1) * amplitude * 32767))));
    }
    return header(1, 16, data.size()) + data;
}

inline QByteArray floatToneWave(double seconds, double hertz, double amplitude) {
    const int frames = static_cast<int>(seconds * kRate);
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const float v = static_cast<float>(sample(i, hertz, amplitude));
        quint32 bits;
        std::memcpy(&bits, &v, sizeof bits);
        put32(data, bits);
    }
    return header(3, 32, data.size()) + data;
}

} // namespace test_waves
