#include "platform/audio/wave_to_pcm16.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kExtensible = 0xFFFE;

struct Format {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
};

std::uint16_t u16(const char* p) {
    return qFromLittleEndian<std::uint16_t>(p);
}
std::uint32_t u32(const char* p) {
    return qFromLittleEndian<std::uint32_t>(p);
}

// One sample scaled to [-1, 1].
double sampleAt(const char* p, const Format& f) {
    switch (f.bits) {
    case 8:
        return (static_cast<std::uint8_t>(*p) - 128) / 128.0;
    case 16:
        return qFromLittleEndian<std::int16_t>(p) / 32768.0;
    case 24: {
        std::int32_t v = static_cast<std::uint8_t>(p[0]) | static_cast<std::uint8_t>(p[1]) << 8 |
                         static_cast<std::uint8_t>(p[2]) << 16;
        if (v & 0x800000)
            v -= 0x1000000;
        return v / 8388608.0;
    }
    case 32:
        if (f.tag == kFloat) {
            float v;
            std::uint32_t bits = u32(p);
            std::memcpy(&v, &bits, sizeof v);
            return std::isfinite(v) ? v : 0.0;
        }
        return qFromLittleEndian<std::int32_t>(p) / 2147483648.0;
    case 64: {
        double v;
        std::uint64_t bits = qFromLittleEndian<std::uint64_t>(p);
        std::memcpy(&v, &bits, sizeof v);
        return std::isfinite(v) ? v : 0.0;
    }
    }
    return 0.0;
}

bool supported(const Format& f) {
    if (f.channels == 0 || f.rate == 0)
        return false;
    if (f.tag == kPcm)
        return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    if (f.tag == kFloat)
        return f.bits == 32 || f.bits == 64;
    return false;
}

void put16(QByteArray& out, std::uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray& out, std::uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

std::optional<QByteArray> waveToPcm16(const QByteArray& wav) {
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<Format> format;
    const char* data = nullptr;
    qsizetype dataSize = 0;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const qsizetype size = u32(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = std::min<qsizetype>(size, wav.size() - body);
        if (id == "fmt " && available >= 16) {
            const char* p = wav.constData() + body;
            Format f{u16(p), u16(p + 2), u32(p + 4), u16(p + 12), u16(p + 14)};
            // The extensible header names the real format in its sub-format.
            if (f.tag == kExtensible && available >= 26)
                f.tag = u16(p + 24);
            format = f;
        } else if (id == "data") {
            data = wav.constData() + body;
            dataSize = available; // a header that overstates the size is trusted no further
        }
        at = body + size + (size & 1);
    }
    if (!format || !data || !supported(*format))
        return std::nullopt;
    const Format& f = *format;
    const int bytes = f.bits / 8;
    const qsizetype frameBytes = qsizetype{bytes} * f.channels;
    const qsizetype stride = std::max<qsizetype>(f.blockAlign, frameBytes);
    const qsizetype frames = dataSize / stride;

    QByteArray pcm;
    pcm.reserve(frames * f.channels * 2);
    for (qsizetype i = 0; i < frames; ++i)
        for (int c = 0; c < f.channels; ++c) {
            const double v = std::clamp(sampleAt(data + i * stride + c * bytes, f), -1.0, 1.0);
            put16(pcm,
                  static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767))));
        }

    QByteArray out;
    out.append("RIFF");
    put32(out, static_cast<std::uint32_t>(36 + pcm.size()));
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, kPcm);
    put16(out, f.channels);
    put32(out, f.rate);
    put32(out, f.rate * f.channels * 2);
    put16(out, static_cast<std::uint16_t>(f.channels * 2));
    put16(out, 16);
    out.append("data");
    put32(out, static_cast<std::uint32_t>(pcm.size()));
    out.append(pcm);
    return out;
}
