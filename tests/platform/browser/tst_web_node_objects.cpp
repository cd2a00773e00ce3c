#include "platform/browser/engine_accessibility.h"
#include "platform/browser/qt_web_browser.h"
#include "platform/browser/web_node_objects.h"

#include "node_interface.h"
#include "page_reading.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

#include <unistd.h>

Q_DECLARE_METATYPE(WebAccessibility)

namespace {

// A node of a page: its object, named, under `parent`, with its interface.
QAccessible::Id addNode(QObject* parent, const QString& name, QObject** object = nullptr) {
    auto* o = new QObject(parent);
    o->setObjectName(name);
    if (object)
        *object = o;
    return QAccessible::registerAccessibleInterface(new NodeInterface(o));
}

QObject* nodeObject(QAccessible::Id id) {
    return QAccessible::accessibleInterface(id)->object();
}

} // namespace

class TestWebNodeObjects : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { listenAsAssistiveTool(false); }

    // A page's tree once its nodes are gone: every object goes, however deep.
    void releasesTheObjectsOfNodesGone() {
        QObject view;
        QObject* root = nullptr;
        const QAccessible::Id rootId = addNode(&view, QStringLiteral("root"), &root);
        QList<QAccessible::Id> ids{rootId};
        QObject* parent = root;
        for (int depth = 0; depth < 5; ++depth) {
            QObject* next = nullptr;
            ids.append(addNode(parent, QStringLiteral("deep%1").arg(depth), &next));
            ids.append(addNode(parent, QStringLiteral("side%1").arg(depth)));
            parent = next;
        }
        QPointer<QObject> deepest = parent;
        QCOMPARE(releaseDeadWebNodeObjects(&view), 0); // all alive: nothing goes
        QCOMPARE(countNodes(&view).live, ids.size());

        for (QAccessible::Id id : ids)
            QAccessible::deleteAccessibleInterface(id);
        QCOMPARE(releaseDeadWebNodeObjects(&view), ids.size());
        QVERIFY(view.children().isEmpty());
        QVERIFY(deepest.isNull());
        QCOMPARE(releaseDeadWebNodeObjects(&view), 0);
    }

    // The live nodes keep their objects and interfaces, wherever they hung;
    // what the engine did not register is not the sweep's to delete.
    void keepsWhatIsAliveOrUnknown() {
        QObject view;
        QObject* goneObject = nullptr;
        const QAccessible::Id goneId = addNode(&view, QStringLiteral("gone"), &goneObject);
        QPointer<QObject> gone = goneObject;
        QObject* stays = nullptr;
        const QAccessible::Id staysId = addNode(gone, QStringLiteral("stays"), &stays);
        QObject* goneChildObject = nullptr;
        const QAccessible::Id goneChildId =
            addNode(stays, QStringLiteral("gone child"), &goneChildObject);
        QPointer<QObject> goneChild = goneChildObject;
        QPointer<QObject> unknownInside = new QObject(gone);
        QPointer<QTimer> helperInside = new QTimer(gone);
        QPointer<QObject> unknownAtTop = new QObject(&view);
        QObject* liveParent = nullptr;
        addNode(&view, QStringLiteral("live parent"), &liveParent);
        QPointer<QObject> liveChild = nodeObject(addNode(liveParent, QStringLiteral("live child")));
        QAccessible::deleteAccessibleInterface(goneId);
        QAccessible::deleteAccessibleInterface(goneChildId);

        QCOMPARE(releaseDeadWebNodeObjects(&view), 2);
        QVERIFY(gone.isNull());
        QVERIFY(goneChild.isNull());
        QVERIFY(QAccessible::accessibleInterface(staysId));
        QCOMPARE(QAccessible::accessibleInterface(staysId)->object(), stays);
        QCOMPARE(stays->parent(), &view);
        QCOMPARE(QAccessible::queryAccessibleInterface(stays)->text(QAccessible::Name),
                 QStringLiteral("stays"));
        QVERIFY(unknownInside && helperInside && unknownAtTop && liveChild);
        QCOMPARE(unknownInside->parent(), &view);
        QCOMPARE(helperInside->parent(), &view);
        QCOMPARE(unknownAtTop->parent(), &view);
        QCOMPARE(liveChild->parent(), liveParent);
        QVERIFY(QAccessible::queryAccessibleInterface(liveChild.data()));
        QCOMPARE(releaseDeadWebNodeObjects(nullptr), 0);
    }

    // The real pane, read by a screen reader through one page after another:
    // at most the tree of the page before stays behind, the page shown stays
    // readable, and history still leads back.
    void paneKeepsOnlyThePagesItShows() {
        QVERIFY(listenAsAssistiveTool(true));
        QTemporaryDir dir;
        QtWebBrowser browser;
        QWebEngineView* view = browser.view();
        view->resize(600, 400);
        view->show();
        constexpr int kPages = 6;
        NodeCount count;
        for (int edition = 1; edition <= kPages; ++edition) {
            const QString page = writePage(dir, edition);
            QVERIFY(!page.isEmpty());
            QSignalSpy loaded(view, &QWebEngineView::loadFinished);
            browser.Navigate(page);
            QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPageTimeoutMs);
            QTRY_VERIFY_WITH_TIMEOUT(
                readAloud(QAccessible::queryAccessibleInterface(view)).contains(heading(edition)),
                kPageTimeoutMs);
            count = countNodes(view);
            QVERIFY2(count.leftover <= count.live,
                     qPrintable(QStringLiteral("page %1: %2 objects left of pages gone, %3 live")
                                    .arg(edition)
                                    .arg(count.leftover)
                                    .arg(count.live)));
        }
        QVERIFY(count.live > 150); // the engine did build the pages' trees

        browser.GoBack();
        QTRY_VERIFY_WITH_TIMEOUT(
            readAloud(QAccessible::queryAccessibleInterface(view)).contains(heading(kPages - 1)),
            kPageTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(countNodes(view).leftover <= countNodes(view).live,
                                 kPageTimeoutMs);
    }

    void engineAccessibilityFollowsTheUsersChoice_data() {
        QTest::addColumn<QByteArray>("given"); // "-" for unset
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<WebAccessibility>("choice");
        QTest::newRow("unset: for a screen reader")
            << QByteArray("-") << QByteArray("1") << WebAccessibility::ScreenReader;
        QTest::newRow("1: for any listener")
            << QByteArray("1") << QByteArray("1") << WebAccessibility::AnyListener;
        QTest::newRow("0: off") << QByteArray("0") << QByteArray("-") << WebAccessibility::Off;
        QTest::newRow("0 with blanks: off")
            << QByteArray(" 0 ") << QByteArray("-") << WebAccessibility::Off;
        QTest::newRow("other values stay, as the engine takes them")
            << QByteArray("yes") << QByteArray("yes") << WebAccessibility::AnyListener;
    }
    void engineAccessibilityFollowsTheUsersChoice() {
        QFETCH(QByteArray, given);
        QFETCH(QByteArray, result);
        QFETCH(WebAccessibility, choice);
        const char* name = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";
        const QByteArray before = qgetenv(name);
        const bool wasSet = qEnvironmentVariableIsSet(name);
        if (given == "-")
            qunsetenv(name);
        else
            qputenv(name, given);
        const WebAccessibility chosen = prepareEngineAccessibility();
        const QByteArray now = qEnvironmentVariableIsSet(name) ? qgetenv(name) : "-";
        if (wasSet)
            qputenv(name, before);
        else
            qunsetenv(name);
        QCOMPARE(now, result);
        QCOMPARE(chosen, choice);
    }
};

int main(int argc, char** argv) {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    prepareEngineAccessibility(); // as the program starts
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebNodeObjects test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_web_node_objects.moc"
