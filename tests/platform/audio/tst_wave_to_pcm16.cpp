#include "platform/audio/wave_to_pcm16.h"

#include <QTest>
#include <QtEndian>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void put16(QByteArray& b, std::uint16_t v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void put32(QByteArray& b, std::uint32_t v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

struct Fmt {
    std::uint16_t tag;
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint16_t subTag = 0; // for the extensible header
};

// A WAV file with the given header, optional extra chunk and sample bytes.
QByteArray wave(const Fmt& f, const QByteArray& samples, const QByteArray& extraChunk = {}) {
    QByteArray fmt;
    const std::uint16_t align = static_cast<std::uint16_t>(f.channels * f.bits / 8);
    put16(fmt, f.tag);
    put16(fmt, f.channels);
    put32(fmt, f.rate);
    put32(fmt, f.rate * align);
    put16(fmt, align);
    put16(fmt, f.bits);
    if (f.tag == 0xFFFE) {
        put16(fmt, 22);
        put16(fmt, f.bits);
        put32(fmt, 0);
        put16(fmt, f.subTag);
        fmt.append(QByteArray(14, '\x01')); // rest of the GUID
    }
    QByteArray body = "WAVE";
    body += "fmt ";
    put32(body, static_cast<std::uint32_t>(fmt.size()));
    body += fmt;
    body += extraChunk;
    body += "data";
    put32(body, static_cast<std::uint32_t>(samples.size()));
    body += samples;
    QByteArray out = "RIFF";
    put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

// The 16-bit samples of a converted file, after checking its header.
std::vector<std::int16_t> samplesOf(const QByteArray& out, std::uint16_t channels,
                                    std::uint32_t rate) {
    std::vector<std::int16_t> s;
    if (out.size() < 44 || !out.startsWith("RIFF") || out.mid(8, 8) != "WAVEfmt ")
        return s;
    const char* p = out.constData();
    if (qFromLittleEndian<std::uint16_t>(p + 20) != 1 ||
        qFromLittleEndian<std::uint16_t>(p + 22) != channels ||
        qFromLittleEndian<std::uint32_t>(p + 24) != rate ||
        qFromLittleEndian<std::uint16_t>(p + 34) != 16 || out.mid(36, 4) != "data" ||
        qFromLittleEndian<std::uint32_t>(p + 40) != static_cast<std::uint32_t>(out.size() - 44) ||
        qFromLittleEndian<std::uint32_t>(p + 4) != static_cast<std::uint32_t>(out.size() - 8))
        return s;
    for (qsizetype i = 44; i + 1 < out.size(); i += 2)
        s.push_back(qFromLittleEndian<std::int16_t>(p + i));
    return s;
}

QByteArray floats(std::initializer_list<float> values) {
    QByteArray b;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        put32(b, bits);
    }
    return b;
}

} // namespace

// Qt's sound effects refuse float and extensible WAV files; the alert plays a
// 16-bit copy instead, which must carry the same sound.
class TestWaveToPcm16 : public QObject {
    Q_OBJECT
private slots:
    void floatSamplesAreScaledAndClamped() {
        const auto out =
            waveToPcm16(wave({3, 1, 22050, 32}, floats({0.0f, 0.5f, -0.5f, 1.5f, -2.0f})));
        QVERIFY(out);
        QCOMPARE(samplesOf(*out, 1, 22050),
                 (std::vector<std::int16_t>{0, 16384, -16384, 32767, -32767}));
    }

    void extensibleIntegerFormatsAreRead() {
        QByteArray s24;
        for (std::int32_t v : {0x400000, -0x400000})          // half scale, both signs
            s24.append(reinterpret_cast<const char*>(&v), 3); // little-endian host
        const auto out24 = waveToPcm16(wave({0xFFFE, 1, 44100, 24, 1}, s24));
        QVERIFY(out24);
        QCOMPARE(samplesOf(*out24, 1, 44100), (std::vector<std::int16_t>{16384, -16384}));

        QByteArray s32;
        put32(s32, 0x40000000u);
        put32(s32, 0xC0000000u);
        const auto out32 = waveToPcm16(wave({0xFFFE, 1, 8000, 32, 1}, s32));
        QVERIFY(out32);
        QCOMPARE(samplesOf(*out32, 1, 8000), (std::vector<std::int16_t>{16384, -16384}));

        const auto outFloat = waveToPcm16(wave({0xFFFE, 1, 8000, 32, 3}, floats({-0.25f})));
        QVERIFY(outFloat);
        QCOMPARE(samplesOf(*outFloat, 1, 8000), (std::vector<std::int16_t>{-8192}));
    }

    void stereoEightBitKeepsChannelOrder() {
        const QByteArray s("\x80\xFF\x00\x80", 4); // L=0, R=max, L=min, R=0
        const auto out = waveToPcm16(wave({1, 2, 11025, 8}, s));
        QVERIFY(out);
        QCOMPARE(samplesOf(*out, 2, 11025), (std::vector<std::int16_t>{0, 32511, -32767, 0}));
    }

    void chunksBeforeTheDataAreSkippedWithTheirPadding() {
        QByteArray list = "LIST";
        put32(list, 3);
        list += QByteArray("abc\0", 4); // odd size, one pad byte
        const auto out = waveToPcm16(wave({3, 1, 8000, 32}, floats({0.5f}), list));
        QVERIFY(out);
        QCOMPARE(samplesOf(*out, 1, 8000), (std::vector<std::int16_t>{16384}));
    }

    void overstatedDataSizeStopsAtTheEndOfTheFile() {
        QByteArray w = wave({3, 1, 8000, 32}, floats({0.5f, 0.5f}));
        qToLittleEndian<std::uint32_t>(1000000, w.data() + w.size() - 8 - 4); // data size
        const auto out = waveToPcm16(w);
        QVERIFY(out);
        QCOMPARE(samplesOf(*out, 1, 8000).size(), size_t{2});
    }

    void whatIsNotUnderstoodGivesNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not riff") << QByteArray("RIFX0000WAVEfmt ");
        QTest::newRow("mpeg payload") << wave({0x55, 1, 8000, 16}, QByteArray(4, '\0'));
        QTest::newRow("12-bit pcm") << wave({1, 1, 8000, 12}, QByteArray(4, '\0'));
        QTest::newRow("no channels") << wave({1, 0, 8000, 16}, QByteArray(4, '\0'));
        QByteArray noData = wave({3, 1, 8000, 32}, floats({0.5f}));
        noData.replace("data", "junk");
        QTest::newRow("no data chunk") << noData;
    }
    void whatIsNotUnderstoodGivesNothing() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!waveToPcm16(bytes));
    }
};

QTEST_GUILESS_MAIN(TestWaveToPcm16)
#include "tst_wave_to_pcm16.moc"
