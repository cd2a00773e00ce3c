#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "mainwindow/twips.h"
#include "mainwindow/window_placement.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QScreen* screenNamed(const QString& name) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name)
            return s;
    return nullptr;
}

// A window that will open on the named screen.
void putOn(Form1& form, const QString& name) {
    QScreen* screen = screenNamed(name);
    form.setScreen(screen);
    form.move(screen->availableGeometry().topLeft());
}

QWidget* control(const Form1& f, const char* name) {
    return f.findChild<QWidget*>(QString::fromLatin1(name));
}

// The monitor's top row lies below the browser pane and every row whole
// inside the client area.
void checkRows(const Form1& f) {
    const int browserBottom = f.brwWebBrowser->geometry().bottom();
    QVERIFY(browserBottom > 0);
    for (const char* name : {"Label6", "Label8", "Label10"})
        QVERIFY2(control(f, name)->geometry().top() > browserBottom, name);
    for (const char* name :
         {"Label6", "Label8", "Label9", "Label10", "Text1", "Combo1", "Combo2", "Command1",
          "Command2", "Command3", "Command4", "Check1", "Option1", "Option2"}) {
        const QRect r = control(f, name)->geometry();
        QVERIFY2(r.bottom() < f.height() && r.top() >= 0, name);
    }
}

// Every named control's pixel geometry.
QHash<QString, QRect> geometryOf(const Form1& f) {
    QHash<QString, QRect> g;
    for (const QWidget* w : f.findChildren<QWidget*>())
        if (!w->objectName().isEmpty())
            g.insert(w->objectName(), w->geometry());
    return g;
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
            const QString s = QString::fromLatin1(screen);
            QTest::addRow("%s, no frame", screen) << s << QMargins();
            QTest::addRow("%s, 25 px", screen) << s << QMargins(3, 25, 3, 3);
            QTest::addRow("%s, 40 px", screen) << s << QMargins(5, 40, 5, 5);
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
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.isMaximized());
        QTRY_COMPARE(form.frameGeometry(), area);
        checkRows(form);

        form.showNormal();
        QTRY_VERIFY(!form.isMaximized() && form.frameGeometry() != area);
        const QRect client = form.geometry();
        QVERIFY2(area.contains(client.marginsAdded(frame)), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                           .arg(client.x())
                                                                           .arg(client.y())
                                                                           .arg(client.width())
                                                                           .arg(client.height())));
        const double s = twips::pixelsPerTwip(&form);
        const QSize normal(twips::toPixels(11400, s), twips::toPixels(8595, s));
        if (screen == QLatin1String("desktop")) {
            QCOMPARE(client.size(), normal);
            const QPoint offCentre = client.marginsAdded(frame).center() - area.center();
            QVERIFY(std::abs(offCentre.x()) <= 1);
            QVERIFY(std::abs(offCentre.y()) <= (frame.isNull() ? 16 : 1));
        } else {
            // As tall as the screen allows, as wide as the normal window.
            QCOMPARE(client.width(), normal.width());
            if (!frame.isNull())
                QCOMPARE(client.marginsAdded(frame).height(), area.height());
            else // room kept for the title bar it might have
                QVERIFY(client.height() >= area.height() - 40);
        }
        checkRows(form);
    }

    // The window manager tells its frame only once the window is shown; a
    // taller one than the normal window was placed with still keeps the
    // restored window, frame included, on the small screen. Later normal
    // geometry is the user's own.
    void tallerFrameToldAfterOpening() {
        FakePlatform fakes;
        Form1 form(fakes.platform());
        putOn(form, QStringLiteral("small"));
        const QRect area = form.screen()->availableGeometry();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QMargins tall(6, 48, 6, 6);
        fakes.frames.frame = tall;
        form.showNormal();
        QTRY_VERIFY(area.contains(form.geometry().marginsAdded(tall)));
        QVERIFY(form.geometry().height() > 300);
        checkRows(form);

        const QRect own(area.left() + 10, area.top() + 200, 600, 400); // partly off the screen
        form.setGeometry(own);
        QTRY_COMPARE(form.geometry(), own);
        form.showMaximized();
        QTRY_VERIFY(form.isMaximized() && form.geometry() != own);
        form.showNormal();
        QTRY_COMPARE(form.geometry(), own);
    }

    // At one client size the layout is the same whatever frame the window
    // manager draws.
    void layoutIgnoresTheFrame() {
        QHash<QString, QRect> first;
        for (const QMargins& frame : {QMargins(), QMargins(3, 25, 3, 3), QMargins(5, 40, 5, 5)}) {
            FakePlatform fakes;
            fakes.frames.frame = frame;
            Form1 form(fakes.platform());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.showNormal();
            form.resize(700, 480);
            QTRY_COMPARE(form.size(), QSize(700, 480));
            checkRows(form);
            const QHash<QString, QRect> g = geometryOf(form);
            if (first.isEmpty())
                first = g;
            else
                QCOMPARE(g, first);
        }
    }

    void placementKeepsTheFrameOnTheArea() {
        const QRect area(100, 50, 800, 500);
        const QMargins frame(4, 30, 4, 4);
        // Fits: centred, size kept.
        QRect r = placement::centred(area, QSize(600, 300), frame);
        QCOMPARE(r.size(), QSize(600, 300));
        QCOMPARE(r.marginsAdded(frame).center(), area.center());
        // Too large: sized to the area, frame included.
        r = placement::centred(area, QSize(2000, 2000), frame);
        QCOMPARE(r.marginsAdded(frame), area);
        // Past an edge: moved in the least; too large: also shrunk.
        r = placement::keptInside(area, QRect(850, 40, 100, 100), frame);
        QCOMPARE(r.marginsAdded(frame).topRight(), QPoint(area.right(), area.top() + 0));
        QCOMPARE(r.size(), QSize(100, 100));
        r = placement::keptInside(area, QRect(300, 200, 400, 600), frame);
        QCOMPARE(r.left(), 300);
        QCOMPARE(r.marginsAdded(frame).top(), area.top());
        QCOMPARE(r.marginsAdded(frame).bottom(), area.bottom());
        // Inside already: unchanged.
        const QRect inside(200, 150, 300, 200);
        QCOMPARE(placement::keptInside(area, inside, frame), inside);
    }
};

int main(int argc, char** argv) {
    // Two screens: a desktop one and a small one.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(R"({"screens": [
        {"name": "desktop", "x": 0, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96},
        {"name": "small", "x": 1280, "y": 0, "width": 800, "height": 500, "logicalDpi": 96}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TstForm1Window test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1_window.moc"
