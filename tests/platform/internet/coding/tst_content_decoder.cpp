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
