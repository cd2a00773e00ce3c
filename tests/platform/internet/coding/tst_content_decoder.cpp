#include "coded_body.h"
#include "platform/internet/coding/content_decoder.h"

#include <QtTest>

namespace {

// Markup ending in a run of one letter, so that a page cut into 2048-byte
// pieces has a cut inside the last copy the deflate stream makes: the coder
// then holds output after all the input is in.
QByteArray page() {
    QByteArray text;
    for (int i = 0; text.size() < 150 * 1024; ++i)
        text += "<p>paragraph " + QByteArray::number(i % 97) + " of the page</p>\n";
    text.resize(2048 * 70 - 300);
    return text + QByteArray(320, 'a');
}

} // namespace

// The decoder on its own, handed its input and asked for its output in
// pieces of any size: however they fall, the page comes out whole and the
// stream is found complete.
class TestContentDecoder : public QObject {
    Q_OBJECT

private slots:
    void pageComesOutWhateverThePieces_data() {
        QTest::addColumn<QByteArray>("codings");
        QTest::addColumn<QByteArray>("coded");
        QTest::addColumn<qsizetype>("inPiece");
        const QByteArray plain = page();
        const QByteArray flushed = encodedBody(plain, BodyCoding::RawDeflateSyncFlushed);
        const QByteArray stacked =
            encodedBody(encodedBody(plain, BodyCoding::Brotli), BodyCoding::Gzip);
        for (qsizetype piece : {qsizetype{1}, qsizetype{1000}, qsizetype{1} << 30}) {
            auto row = [&](const char* name, const QByteArray& codings, const QByteArray& coded) {
                QTest::addRow("%s, in pieces of %lld", name, static_cast<long long>(piece))
                    << codings << coded << piece;
            };
            row("deflate flushed every 4 KB", "deflate", flushed);
            row("gzip", "gzip", encodedBody(plain, BodyCoding::Gzip));
            row("brotli", "br", encodedBody(plain, BodyCoding::Brotli));
            row("zstd", "zstd", encodedBody(plain, BodyCoding::Zstd));
            row("brotli, then gzip", "br, gzip", stacked);
        }
    }
    void pageComesOutWhateverThePieces() {
        QFETCH(QByteArray, codings);
        QFETCH(QByteArray, coded);
        QFETCH(qsizetype, inPiece);
        bool known = false;
        const auto decoder = ContentDecoder::forCodings(codings, &known);
        QVERIFY(known && decoder);
        QByteArray out;
        for (qsizetype at = 0; at < coded.size(); at += inPiece) {
            decoder->push(QByteArrayView(coded).sliced(at, std::min(inPiece, coded.size() - at)));
            // The reader's own step: a chunk at a time.
            for (qsizetype before = -1; before != out.size();) {
                before = out.size();
                QVERIFY(decoder->decode(out, 2048));
            }
        }
        QVERIFY(out == page());
        QVERIFY(decoder->complete());
    }

    // A zstd frame is taken or refused for what it holds against what its
    // header says, never for how its bytes arrive.
    void zstdFrameHeldToItsHeader_data() {
        QTest::addColumn<QByteArray>("coded");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<qsizetype>("inPiece");
        const QByteArray tens = "0123456789";
        const QByteArray large = page().repeated(3); // more than one block of 128 KB
        const QByteArray eighteen = tens + "abcdefgh";
        constexpr unsigned char k1MiB = 10 << 3, k8MiB = 13 << 3, k16MiB = 14 << 3;
        struct Row {
            const char* name;
            QByteArray coded;
            bool sound;
            QByteArray plain;
        };
        const Row rows[] = {
            {"97 bytes declared, one empty block", handMadeZstdFrame(k1MiB, 97, {""}), false, {}},
            {"5 declared, 10 held", handMadeZstdFrame(k1MiB, 5, {tens}), false, {}},
            {"10 declared, 5 held", handMadeZstdFrame(k1MiB, 10, {"01234"}), false, {}},
            {"10 declared, in three blocks, the last empty",
             handMadeZstdFrame(k1MiB, 10, {"01234", "56789", ""}), true, tens},
            {"compressed in several blocks, declared", encodedBody(large, BodyCoding::Zstd), true,
             large},
            {"a 16 MiB window", handMadeZstdFrame(k16MiB, 18, {eighteen}), false, {}},
            {"an 8 MiB window", handMadeZstdFrame(k8MiB, 18, {eighteen}), true, eighteen},
            {"a second frame short of what it declares",
             encodedBody(tens, BodyCoding::Zstd) + handMadeZstdFrame(k1MiB, 97, {""}),
             false,
             {}},
            {"a skippable frame first",
             skippableZstdFrame("notes") + encodedBody(tens, BodyCoding::Zstd), true, tens},
        };
        for (const Row& row : rows)
            for (qsizetype piece : {qsizetype{1} << 30, qsizetype{1}, qsizetype{7}})
                QTest::addRow("%s, in pieces of %lld", row.name, static_cast<long long>(piece))
                    << row.coded << row.sound << row.plain << piece;
    }
    void zstdFrameHeldToItsHeader() {
        QFETCH(QByteArray, coded);
        QFETCH(bool, sound);
        QFETCH(QByteArray, plain);
        QFETCH(qsizetype, inPiece);
        bool known = false;
        const auto decoder = ContentDecoder::forCodings("zstd", &known);
        QVERIFY(decoder);
        QByteArray out;
        bool refused = false;
        for (qsizetype at = 0; at < coded.size() && !refused; at += inPiece) {
            decoder->push(QByteArrayView(coded).sliced(at, std::min(inPiece, coded.size() - at)));
            for (qsizetype before = -1; before != out.size() && !refused;) {
                before = out.size();
                refused = !decoder->decode(out, 2048);
            }
        }
        if (sound) {
            QVERIFY(!refused);
            QVERIFY(decoder->complete());
            QVERIFY(out == plain);
        } else {
            QVERIFY2(refused || !decoder->complete(), "taken for a whole page");
        }
    }

    void codingNames() {
        bool known = false;
        QVERIFY(!ContentDecoder::forCodings("identity, none", &known) && known);
        QVERIFY(!ContentDecoder::forCodings("", &known) && known);
        QVERIFY(ContentDecoder::forCodings(" GZIP , x-gzip", &known) && known);
        QVERIFY(!ContentDecoder::forCodings("gzip, compress", &known) && !known);
    }
};

QTEST_MAIN(TestContentDecoder)
#include "tst_content_decoder.moc"
