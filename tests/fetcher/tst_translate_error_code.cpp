#include "fetcher_rig.h"

#include <QtTest>

class TestTranslateErrorCode : public QObject {
    Q_OBJECT

private slots:
    void messages_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("Error details not available.");
        QTest::newRow("12001 has no full stop")
            << 12001 << "No more handles could be generated at this time";
        QTest::newRow("12002") << 12002 << "The request has timed out.";
        QTest::newRow("12005") << 12005 << "The URL is invalid.";
        QTest::newRow("12007") << 12007 << "The server name could not be resolved.";
        QTest::newRow("12010")
            << 12010
            << "The length of an option supplied to InternetQueryOption or InternetSetOption is "
               "incorrect for the type of option specified.";
        QTest::newRow("12011 blank")
            << 12011 << "The request option can not be set, only queried. ";
        QTest::newRow("12014 blank")
            << 12014
            << "The request to connect and login to an FTP server could not be completed because "
               "the supplied password is incorrect. ";
        QTest::newRow("12016 blank") << 12016 << "The requested operation is invalid. ";
        QTest::newRow("12021 blank") << 12021 << "A required registry value could not be located. ";
        QTest::newRow("12023 blank")
            << 12023 << "Direct network access cannot be made at this time. ";
        QTest::newRow("12029") << 12029 << "The attempt to connect to the server failed.";
        QTest::newRow("12030") << 12030 << "The connection with the server has been terminated.";
        QTest::newRow("12031") << 12031 << "The connection with the server has been reset.";
        QTest::newRow("12036") << 12036 << "The request failed because the handle already exists.";
        for (int code :
             {12032, 12033, 12034, 12035, 12000, 12037, 0, -1, -12002, 6, 12157, INT_MIN, INT_MAX})
            QTest::newRow(qPrintable(QString::number(code))) << code << none;
    }
    void messages() {
        QFETCH(int, code);
        QFETCH(QString, message);
        FetcherRig rig;
        QCOMPARE(rig.net.TranslateErrorCode(code), message);
    }

    // Every row of the block has a distinct message except the four empty ones.
    void everyCodeInTheBlockHasItsOwnRow() {
        FetcherRig rig;
        QSet<QString> seen;
        int defaults = 0;
        for (int code = 12001; code <= 12036; ++code) {
            const QString m = rig.net.TranslateErrorCode(code);
            if (m == QLatin1String("Error details not available."))
                ++defaults;
            else
                seen.insert(m);
        }
        QCOMPARE(defaults, 4);
        QCOMPARE(seen.size(), 32);
    }
};

QTEST_MAIN(TestTranslateErrorCode)
#include "tst_translate_error_code.moc"
