#include "platform/browser/engine_accessibility.h"
#include "platform/browser/qt_web_browser.h"
#include "platform/browser/web_accessibility_switch.h"

#include "page_reading.h"

#include <QApplication>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

#include <unistd.h>

namespace {

// Hears what the engine hears of Qt's accessibility.
class EngineEar : public QAccessible::ActivationObserver {
public:
    EngineEar() { QAccessible::installActivationObserver(this); }
    ~EngineEar() override { QAccessible::removeActivationObserver(this); }
    EngineEar(const EngineEar&) = delete;
    EngineEar& operator=(const EngineEar&) = delete;
    void accessibilityActiveChanged(bool active) override { heard.append(active); }
    bool on() const { return !heard.isEmpty() && heard.last(); }
    QList<bool> heard;
};

// Lets every queued call run, the switch's answers included.
void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TestWebAccessibilitySwitch : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { listenAsAssistiveTool(false); }

    // Qt listening for a tool that is no screen reader: the engine hears
    // "off" while Qt stays active for the window's controls.
    void treeOnlyWhileAScreenReaderRuns() {
        EngineEar engine;
        QVERIFY(listenAsAssistiveTool(true));
        QVERIFY(engine.on()); // the engine alone would build its trees
        WebAccessibilitySwitch web;
        QVERIFY(!engine.on());
        QVERIFY(!web.engineOn());
        QVERIFY(QAccessible::isActive());

        web.setScreenReaderRunning(true);
        QVERIFY(engine.on());
        QVERIFY(web.engineOn());
        const qsizetype told = engine.heard.size();
        web.setScreenReaderRunning(true);
        QCOMPARE(engine.heard.size(), told); // no news, nothing said

        web.setScreenReaderRunning(false);
        QVERIFY(!engine.on());
        QVERIFY(QAccessible::isActive());
    }

    // Without Qt listening nobody could read a tree, screen reader or not.
    void noTreeWhileQtDoesNotListen() {
        EngineEar engine;
        WebAccessibilitySwitch web;
        web.setScreenReaderRunning(true);
        QVERIFY(!engine.on());
        QVERIFY(listenAsAssistiveTool(true));
        settle();
        QVERIFY(engine.on());
        QVERIFY(listenAsAssistiveTool(false));
        settle();
        QVERIFY(!engine.on());
    }

    // Qt reaching the bus after start-up tells every observer "on", the
    // engine first or last; the switch answers once all have heard it.
    void qtSwitchingOnLaterIsAnswered() {
        EngineEar before;
        WebAccessibilitySwitch web;
        EngineEar after;
        QVERIFY(listenAsAssistiveTool(true));
        QVERIFY(before.on() && after.on());
        QTRY_VERIFY(!before.on() && !after.on());
        QVERIFY(!web.engineOn());
        QVERIFY(QAccessible::isActive());

        web.setScreenReaderRunning(true);
        QVERIFY(listenAsAssistiveTool(false));
        QVERIFY(listenAsAssistiveTool(true));
        const qsizetype heard = before.heard.size();
        settle();
        QCOMPARE(before.heard.size(), heard); // "on" was right: no answer
        QVERIFY(before.on() && after.on());
    }

    // Once the switch is gone the engine follows Qt again.
    void goneSwitchLeavesTheEngineToQt() {
        EngineEar engine;
        { WebAccessibilitySwitch web; }
        QVERIFY(listenAsAssistiveTool(true));
        settle();
        QVERIFY(engine.on());
    }

    // The real engine, Qt listening: no tree for the pages until a screen
    // reader runs, then the page shown is read without a reload; once the
    // reader has gone, pages loaded get no tree (the engine keeps the last
    // one as it was), and Back leads to a readable page when it is back.
    void realPaneIsReadOnlyForAScreenReader() {
        QVERIFY(listenAsAssistiveTool(true));
        QTemporaryDir dir;
        QtWebBrowser browser;
        QWebEngineView* view = browser.view();
        view->resize(600, 400);
        view->show();
        WebAccessibilitySwitch web;
        QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(view);
        const auto load = [&](int edition) {
            QSignalSpy loaded(view, &QWebEngineView::loadFinished);
            browser.Navigate(writePage(dir, edition));
            QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kPageTimeoutMs));
            // A script's answer comes after the page's own messages of its load.
            bool answered = false;
            view->page()->runJavaScript(QStringLiteral("1"),
                                        [&](const QVariant&) { answered = true; });
            QVERIFY(QTest::qWaitFor([&] { return answered; }, kPageTimeoutMs));
            QCoreApplication::processEvents();
        };

        load(1);
        load(2);
        QCOMPARE(countNodes(view).live, 0);
        QVERIFY(!readAloud(pane).contains(heading(2))); // an empty document

        web.setScreenReaderRunning(true);
        QTRY_VERIFY_WITH_TIMEOUT(readAloud(pane).contains(heading(2)), kPageTimeoutMs);
        const int live = countNodes(view).live;
        QVERIFY(live > 150);

        web.setScreenReaderRunning(false);
        load(3);
        QVERIFY(!readAloud(pane).contains(heading(3)));
        QCOMPARE(countNodes(view).live, live);

        web.setScreenReaderRunning(true);
        QTRY_VERIFY_WITH_TIMEOUT(readAloud(pane).contains(heading(3)), kPageTimeoutMs);
        browser.GoBack();
        QTRY_VERIFY_WITH_TIMEOUT(readAloud(pane).contains(heading(2)), kPageTimeoutMs);
    }
};

int main(int argc, char** argv) {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    prepareEngineAccessibility(); // as the program starts
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebAccessibilitySwitch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_web_accessibility_switch.moc"
