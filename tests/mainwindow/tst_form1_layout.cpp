#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "widgets/twips.h"

#include <QHash>
#include <QStatusBar>
#include <QtTest>

#include <memory>

namespace {

using Geometry = QHash<QString, QList<float>>;

// Every named widget's twips geometry, to see what a pass changed.
Geometry snapshot(const Form1& form) {
    Geometry g;
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !w->property("twipsLeft").isValid())
            continue;
        const twips::Rect r = twips::geometry(w);
        g.insert(w->objectName(), {r.left, r.top, r.width, r.height});
    }
    return g;
}

QStringList changed(const Geometry& before, const Geometry& after) {
    QStringList names;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (before.value(it.key()) != it.value())
            names.append(it.key());
    names.sort();
    return names;
}

QWidget* control(const Form1& f, const char* name) {
    return f.findChild<QWidget*>(QString::fromLatin1(name));
}
float top(const Form1& f, const char* name) {
    return twips::geometry(f.findChild<QWidget*>(QString::fromLatin1(name))).top;
}
float width(const Form1& f, const char* name) {
    return twips::geometry(f.findChild<QWidget*>(QString::fromLatin1(name))).width;
}
float height(const Form1& f, const char* name) {
    return twips::geometry(f.findChild<QWidget*>(QString::fromLatin1(name))).height;
}

// An outer size with a title bar and borders around the initial client area.
constexpr float kW = 11640, kH = 9120, kSW = 11400, kSH = 8595;

} // namespace

class TstForm1Layout : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes->platform());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    // The strip is docked at the top across the client width while the
    // toolbar stays hidden.
    void addressStripDocked() {
        const double s = twips::pixelsPerTwip(form.get());
        QCOMPARE(top(*form, "picAddress"), 0.0f);
        QCOMPARE(height(*form, "picAddress"), 675.0f);
        QCOMPARE(width(*form, "picAddress"), twips::fromPixels(form->width(), s));
    }

    void initialSize_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        auto row = [](const char* name, float t, float w, float h) {
            QTest::newRow(name) << QString::fromLatin1(name) << t << w << h;
        };
        // Values worked out by hand from the layout rules at 11640 x 9120
        // outer, 11400 x 8595 client.
        row("cboAddress", 300, 11200, 315);
        row("brwWebBrowser", 120, 11200, 7220);
        row("Command1", 7720, 1935, 585);
        row("Command2", 8120, 1455, 225);
        row("Command3", 7720, 975, 345);
        row("Command4", 8320, 975, 345);
        row("Check1", 8320, 3135, 375);
        row("Label2", 7820, 1215, 255);
        row("Label3", 7820, 495, 255);
        row("Label4", 7820, 255, 255);
        row("Label5", 7620, 255, 255);
        row("Label6", 7470, 1575, 255);
        row("Label7", 8520, 6015, 255);
        row("Combo1", 7725, 1455, 315);
        row("Label8", 7470, 1575, 255);
        row("Text1", 7725, 6015, 300);
        row("Label9", 8080, 1935, 255);
        row("Combo2", 8325, 6015, 315);
        row("Option1", 7745, 600, 255);
        row("Option2", 8385, 615, 195);
        row("Label10", 7470, 615, 255);
        row("Frame1", 0, 11640, 9120);
        row("List1", 360, 11140, 7120);
        row("Command5", 7745, 1215, 375);
        row("Command6", 7745, 1215, 375);
        row("Command7", 7745, 735, 375);
        row("Command8", 7745, 1215, 375);
        row("Command9", 7745, 1215, 375);
        row("Text2", 7795, 4140, 285);
        row("Label1", 1440, 7575, 495); // not laid out
    }
    void initialSize() {
        QFETCH(QString, control);
        QFETCH(float, top);
        QFETCH(float, width);
        QFETCH(float, height);
        const Geometry before = snapshot(*form);
        form->layOut(kW, kH, kSW, kSH);
        QWidget* w = form->findChild<QWidget*>(control);
        QVERIFY(w);
        const twips::Rect r = twips::geometry(w);
        QCOMPARE(r.left, before.value(control).at(0)); // Left never changes
        QCOMPARE(r.top, top);
        QCOMPARE(r.width, width);
        QCOMPARE(r.height, height);
    }

    // A negative size ends the pass at its step; later controls keep what
    // the previous pass gave them.
    void failureThresholds_data() {
        QTest::addColumn<float>("W");
        QTest::addColumn<float>("H");
        QTest::addColumn<float>("SW");
        QTest::addColumn<float>("SH");
        QTest::addColumn<QStringList>("moved");
        const QStringList upToFrame{"Check1",        "Combo1",    "Combo2",  "Command1", "Command2",
                                    "Command3",      "Command4",  "Frame1",  "Label10",  "Label2",
                                    "Label3",        "Label4",    "Label5",  "Label6",   "Label7",
                                    "Label8",        "Label9",    "Option1", "Option2",  "Text1",
                                    "brwWebBrowser", "cboAddress"};
        QTest::newRow("client narrower than 200") << kW << kH << 150.0f << kSH << QStringList{};
        QTest::newRow("client lower than 1375")
            << kW << kH << 9000.0f << 1300.0f << QStringList{"brwWebBrowser", "cboAddress"};
        QTest::newRow("outer width below 500") << 400.0f << kH << 250.0f << kSH << upToFrame;
        QStringList withList = upToFrame;
        withList << "List1";
        withList.sort();
        QTest::newRow("outer height below 2000") << kW << 1900.0f << kSW << 1500.0f << withList;
        QStringList allButText2Width = withList;
        allButText2Width << "Command5"
                         << "Command6"
                         << "Command7"
                         << "Command8"
                         << "Command9"
                         << "Text2";
        allButText2Width.sort();
        QTest::newRow("outer width below 7500")
            << 7000.0f << 3000.0f << 6760.0f << 2475.0f << allButText2Width;
    }
    void failureThresholds() {
        QFETCH(float, W);
        QFETCH(float, H);
        QFETCH(float, SW);
        QFETCH(float, SH);
        QFETCH(QStringList, moved);
        // Start from a state no pass can produce, so every assignment shows.
        form->layOut(kW + 1000, kH + 1000, kSW + 1000, kSH + 1000);
        const Geometry before = snapshot(*form);
        form->layOut(W, H, SW, SH);
        const Geometry after = snapshot(*form);
        QStringList expected = moved;
        expected.sort();
        QCOMPARE(changed(before, after), expected);

        if (QTest::currentDataTag() == QByteArray("client lower than 1375")) {
            QCOMPARE(width(*form, "brwWebBrowser"), 8800.0f);
            QCOMPARE(height(*form, "brwWebBrowser"), before.value("brwWebBrowser").at(3));
        }
        if (QTest::currentDataTag() == QByteArray("outer height below 2000")) {
            QCOMPARE(width(*form, "List1"), kW - 500);
            QCOMPARE(height(*form, "List1"), before.value("List1").at(3));
        }
        if (QTest::currentDataTag() == QByteArray("outer width below 7500")) {
            QCOMPARE(top(*form, "Text2"), 3000 - 375 - 1000 + 50.0f);
            QCOMPARE(width(*form, "Text2"), before.value("Text2").at(2));
        }

        // A later pass at full size lays everything out again.
        form->layOut(kW, kH, kSW, kSH);
        QCOMPARE(top(*form, "Label6"), 7470.0f);
        QCOMPARE(height(*form, "brwWebBrowser"), 7220.0f);
        QCOMPARE(width(*form, "List1"), 11140.0f);
        QCOMPARE(top(*form, "Command9"), 7745.0f);
        QCOMPARE(width(*form, "Text2"), 4140.0f);
    }

    // A negative Top is an ordinary value, not a failure.
    void negativeTopsAreKept() {
        form->layOut(2400, 1000, 2000, 1400);
        QCOMPARE(top(*form, "Label6"), -650.0f);
        QCOMPARE(top(*form, "Command1"), -400.0f);
        QCOMPARE(height(*form, "brwWebBrowser"), 25.0f);
    }

    // The arithmetic is single precision, assigned as computed.
    void fractionalSizes() {
        const float sw = 11400.4f;
        form->layOut(11640.25f, 9120.75f, sw, 8595.5f);
        QCOMPARE(width(*form, "brwWebBrowser"), sw - 200);
        QCOMPARE(top(*form, "Combo1"), 255 + (9120.75f - 1650));
        QCOMPARE(width(*form, "Text2"), (11640.25f - 500) - 7000);
    }

    // The window's own resizes drive the pass with its client size, less the
    // status line, plus the classic frame, whatever decorations the window
    // system adds.
    void resizingTheWindowLaysOut() {
        form->showNormal();
        form->resize(900, 700);
        QTRY_COMPARE(form->size(), QSize(900, 700));
        const double s = twips::pixelsPerTwip(form.get());
        const float SW = twips::fromPixels(form->width(), s);
        const float SH = twips::fromPixels(form->height() - form->statusLine->height(), s);
        QCOMPARE(width(*form, "brwWebBrowser"), SW - 200);
        QCOMPARE(height(*form, "brwWebBrowser"), SH - 675 - 700);
        QCOMPARE(top(*form, "Command1"), SH + 420 - 1400);
        QCOMPARE(width(*form, "Frame1"), SW + 120);
        QCOMPARE(height(*form, "Frame1"), SH + 420);
        QCOMPARE(width(*form, "picAddress"), SW);
    }

    // Measured from the classic frame, the monitor's top row lies below the
    // browser pane and its bottom row whole inside the client area, at the
    // maximized size and at the normal one.
    void rowsBetweenBrowserAndBottomEdge() {
        for (bool maximized : {true, false}) {
            if (!maximized)
                form->showNormal();
            QTRY_COMPARE(form->isMaximized(), maximized);
            const int browserBottom = form->brwWebBrowser->geometry().bottom();
            for (const char* name : {"Label6", "Label8", "Label10"})
                QVERIFY2(control(*form, name)->geometry().top() > browserBottom, name);
            for (const char* name : {"Combo2", "Command4", "Check1", "Option2"})
                QVERIFY2(control(*form, name)->geometry().bottom() < form->statusLine->y(), name);
        }
    }

private:
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(TstForm1Layout)
#include "tst_form1_layout.moc"
