#include "platform/browser/pane_load_gate.h"

#include <QApplication>
#include <QList>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

QUrl page(int n) {
    return QUrl(QStringLiteral("http://127.0.0.1/%1.htm").arg(n));
}

// A pane inside a window, and the loads its gate lets through.
struct Rig {
    Rig() : window(std::make_unique<QWidget>()), pane(new QWidget(window.get())) {
        window->resize(300, 200);
        pane->resize(200, 100);
    }
    std::unique_ptr<QWidget> window;
    QWidget* pane;
    QList<QUrl> loaded;
    PaneLoadGate gate{pane, [this](const QUrl& url) { loaded.append(url); }};
};

} // namespace

class TestPaneLoadGate : public QObject {
    Q_OBJECT
private slots:
    void shownPaneLoadsAtOnce() {
        Rig rig;
        rig.window->show();
        rig.gate.request(page(1));
        rig.gate.request(page(2));
        QCOMPARE(rig.loaded, (QList<QUrl>{page(1), page(2)}));
        QVERIFY(!rig.gate.holding());
    }

    // Minimized, only the last request is loaded, once, when the window is
    // back; a window covered by others would still count as seen.
    void minimizedWindowLoadsTheLastRequestWhenRestored() {
        Rig rig;
        rig.window->show();
        rig.window->showMinimized();
        QVERIFY(!rig.gate.paneShown());
        for (int n = 1; n <= 3; ++n)
            rig.gate.request(page(n));
        QVERIFY(rig.loaded.isEmpty());
        QVERIFY(rig.gate.holding());

        rig.window->showNormal();
        QCOMPARE(rig.loaded, QList<QUrl>{page(3)});
        QVERIFY(!rig.gate.holding());
        rig.window->showMinimized();
        rig.window->showMaximized();
        QCOMPARE(rig.loaded.size(), 1); // nothing held, nothing loaded
    }

    // Before the window is first shown (start-up) and while it is hidden.
    void hiddenWindowLoadsWhenShown() {
        Rig rig;
        rig.gate.request(page(1));
        QVERIFY(rig.loaded.isEmpty());
        rig.window->show();
        QCOMPARE(rig.loaded, QList<QUrl>{page(1)});

        rig.window->hide();
        rig.gate.request(page(2));
        QCOMPARE(rig.loaded.size(), 1);
        rig.window->show();
        QCOMPARE(rig.loaded, (QList<QUrl>{page(1), page(2)}));
    }

    // A pane hidden inside a shown window waits for itself to be shown.
    void hiddenPaneLoadsWhenItIsShown() {
        Rig rig;
        rig.window->show();
        rig.pane->hide();
        rig.gate.request(page(1));
        QVERIFY(rig.loaded.isEmpty());
        rig.pane->show();
        QCOMPARE(rig.loaded, QList<QUrl>{page(1)});
    }

    // The pane is made alone and then lodged in the main window, which
    // shows it.
    void paneMovedIntoAnotherWindowFollowsIt() {
        QWidget window;
        auto loose = std::make_unique<QWidget>();
        QList<QUrl> loaded;
        PaneLoadGate gate(loose.get(), [&](const QUrl& url) { loaded.append(url); });
        gate.request(page(1));
        loose.release()->setParent(&window);
        window.showMinimized();
        QVERIFY(loaded.isEmpty());
        window.showNormal();
        QCOMPARE(loaded, QList<QUrl>{page(1)});
    }

    void droppedRequestIsNeverLoaded() {
        Rig rig;
        rig.gate.request(page(1));
        rig.gate.drop();
        QVERIFY(!rig.gate.holding());
        rig.window->show();
        QVERIFY(rig.loaded.isEmpty());
    }

    void paneGoneLoadsNothing() {
        auto rig = std::make_unique<Rig>();
        rig->gate.request(page(1));
        delete rig->pane;
        rig->gate.request(page(2));
        QVERIFY(!rig->gate.paneShown());
        QVERIFY(rig->loaded.isEmpty());
    }
};

QTEST_MAIN(TestPaneLoadGate)

#include "tst_pane_load_gate.moc"
