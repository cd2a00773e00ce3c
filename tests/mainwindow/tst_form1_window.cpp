#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A window that will open on the named screen.
void putOn(Form1& form, const QString& name) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name) {
            form.setScreen(s);
            form.move(s->availableGeometry().topLeft());
        }
}

// The top row lies below the browser pane, every row whole in the client area.
void checkRows(const Form1& f) {
    const int browserBottom = f.brwWebBrowser->geometry().bottom();
    for (const char* name : {"Label6", "Label8", "Label10"})
        QVERIFY2(f.findChild<QWidget*>(name)->y() > browserBottom, name);
    for (const char* name : {"Combo2", "Command4", "Check1", "Option2", "Command1", "Command2"})
        QVERIFY2(f.findChild<QWidget*>(name)->geometry().bottom() < f.statusLine->y(), name);
    QCOMPARE(f.statusLine->geometry(),
             QRect(0, f.height() - f.statusLine->height(), f.width(), f.statusLine->height()));
}

} // namespace

// The window under window managers that draw no frame, a 25-pixel and a
// 40-pixel title bar, on a desktop screen and on a small one (what a scale
// factor of 2 makes of a 1600 x 1000 screen).
class TstForm1Window : public QObject {
    Q_OBJECT
private slots:
    void opensMaximizedAndRestoresInside_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QMargins>("frame");
        for (const char* screen : {"desktop", "small"}) {
            QTest::addRow("%s, no frame", screen) << screen << QMargins();
            QTest::addRow("%s, 25 px", screen) << screen << QMargins(3, 25, 3, 3);
            QTest::addRow("%s, 40 px", screen) << screen << QMargins(5, 40, 5, 5);
        }
    }
    void opensMaximizedAndRestoresInside() {
        QFETCH(QString, screen);
        QFETCH(QMargins, frame);
        FakePlatform fakes;
        fakes.frames.frame = frame;
        Form1 form(fakes.platform());
        putOn(form, screen);
        const QRect area = form.screen()->availableGeometry();
        form.show();
        QVERIFY(form.isMaximized());
        QTRY_COMPARE(form.frameGeometry(), area);
        checkRows(form);

        form.showNormal();
        QTRY_VERIFY(form.frameGeometry() != area);
        const QRect client = form.geometry();
        QVERIFY(area.contains(client.marginsAdded(frame)));
        const double s = twips::pixelsPerTwip(&form);
        const QSize normal(twips::toPixels(11400, s),
                           twips::toPixels(8595, s) + form.statusLine->height());
        QCOMPARE(client.width(), normal.width());
        if (screen == QLatin1String("desktop")) {
            QCOMPARE(client.height(), normal.height());
            const QPoint offCentre = client.marginsAdded(frame).center() - area.center();
            QVERIFY(std::abs(offCentre.x()) <= 1);
            QVERIFY(std::abs(offCentre.y()) <= (frame.isNull() ? 16 : 1)); // room for a title bar
        } else if (!frame.isNull()) {
            QCOMPARE(client.marginsAdded(frame).height(), area.height()); // as tall as it can be
        }
        checkRows(form);

        // At one client size the layout is the same whatever the frame; the
        // status line adds its height below it.
        const int line = form.statusLine->height();
        form.resize(700, 480 + line);
        QTRY_COMPARE(form.size(), QSize(700, 480 + line));
        QCOMPARE(form.Check1->geometry(), QRect(544, 455, 209, 25));
        QCOMPARE(form.Frame1->geometry(), QRect(0, 0, 708, 508));
    }

    // The window manager tells its frame only once the window is shown; a
    // taller one than the window was placed with still keeps the restored
    // window, frame included, on the small screen.
    void tallerFrameToldAfterOpening() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        putOn(form, QStringLiteral("small"));
        const QRect area = form.screen()->availableGeometry();
        form.show();
        const QMargins tall(6, 48, 6, 6);
        fakes.frames.frame = tall;
        form.showNormal();
        QTRY_VERIFY(area.contains(form.geometry().marginsAdded(tall)));
        checkRows(form);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [
        {"name": "desktop", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96},
        {"name": "small", "x": 1280, "y": 0, "width": 800, "height": 500, "logicalDpi": 96}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TstForm1Window test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1_window.moc"
