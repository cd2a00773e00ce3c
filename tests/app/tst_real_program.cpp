#include "debugged_program.h"
#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "platform/browser/qt_web_browser.h"
#include "platform/browser/web_engine_sandbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPageTimeoutMs = 60000;

QString binDir() {
    return qEnvironmentVariable("VIGILO_BIN_DIR");
}
QString startPagePath() {
    return binDir() + QStringLiteral("/start.htm");
}

} // namespace

// The real browser pane and the real executable, offscreen.
class TstRealProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(!binDir().isEmpty(), "VIGILO_BIN_DIR is not set");
        QVERIFY2(QFileInfo::exists(startPagePath()), "the build did not copy start.htm");
    }

    void addressesAsHandedToTheEngine() {
        QCOMPARE(QtWebBrowser::urlFor(startPagePath()),
                 QUrl::fromLocalFile(QFileInfo(startPagePath()).absoluteFilePath()));
        QCOMPARE(QtWebBrowser::urlFor(QStringLiteral("www.example.org/a.htm")),
                 QUrl(QStringLiteral("http://www.example.org/a.htm")));
        QCOMPARE(QtWebBrowser::urlFor(QStringLiteral("https://example.org/?q=1")),
                 QUrl(QStringLiteral("https://example.org/?q=1")));
        // A file name that does not exist here is not taken for a file.
        QCOMPARE(QtWebBrowser::urlFor(QStringLiteral("no-such-page.htm")).scheme(),
                 QStringLiteral("http"));
    }

    // The window, with the real pane, opens on the start page.
    void windowShowsTheStartPage() {
        FakePlatform fakes;
        fakes.program.folder_ = QDir::toNativeSeparators(binDir());
        QtWebBrowser browser;
        QSignalSpy loaded(browser.view(), &QWebEngineView::loadFinished);
        Platform platform = fakes.platform();
        platform.browser = &browser;
        auto form = std::make_unique<Form1>(platform);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->brwWebBrowser->isAncestorOf(browser.view()));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPageTimeoutMs);
        QCOMPARE(loaded.last().at(0).toBool(), true);
        QCOMPARE(browser.view()->url(), QUrl::fromLocalFile(startPagePath()));
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), QStringLiteral("Vigilo - start"),
                                  kPageTimeoutMs);
        // The pane fills the width the layout gave it.
        QCOMPARE(browser.view()->width(), form->brwWebBrowser->width());
        form.reset();
        QVERIFY(browser.view()); // the view outlives the window it lodged in
    }

    void laterRequestReplacesTheEarlierOne() {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.htm"));
        const QString second = dir.filePath(QStringLiteral("second.htm"));
        for (const QString& path : {first, second}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<html><head><title>" + QFileInfo(path).baseName().toLatin1() +
                    "</title></head></html>");
        }
        QtWebBrowser browser(first);
        browser.view()->resize(400, 300);
        browser.view()->show();
        browser.Navigate(first);
        browser.Navigate(second);
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), QStringLiteral("second"),
                                  kPageTimeoutMs);
        QCOMPARE(browser.view()->url(), QUrl::fromLocalFile(second));

        // Home goes to the address given at construction.
        browser.GoHome();
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), QStringLiteral("first"), kPageTimeoutMs);
        browser.GoBack();
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), QStringLiteral("second"),
                                  kPageTimeoutMs);
        browser.GoForward();
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), QStringLiteral("first"), kPageTimeoutMs);
    }

    // Minimized, the pane loads nothing: the last request is shown when the
    // window is back, and the pages never shown are not in the Back list.
    // Back, Forward, Refresh and Stop treat a request held as the page shown.
    void minimizedWindowHoldsTheLastRequest() {
        QTemporaryDir dir;
        QStringList pages;
        for (const char* name : {"first", "second", "third", "fourth"}) {
            pages.append(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".htm")));
            QFile f(pages.last());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("<html><head><title>") + name + "</title></head></html>");
        }
        QtWebBrowser browser;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(browser.view());
        window.resize(400, 300);
        window.show();
        const auto showing = [&](const char* title) {
            return QTest::qWaitFor([&] { return browser.view()->title() == QLatin1String(title); },
                                   kPageTimeoutMs);
        };
        browser.Navigate(pages[0]);
        QVERIFY(showing("first"));

        window.showMinimized();
        QSignalSpy started(browser.view(), &QWebEngineView::loadStarted);
        browser.Navigate(pages[1]);
        browser.Navigate(pages[2]);
        browser.GoForward();
        browser.Refresh();
        QCoreApplication::processEvents();
        QCOMPARE(started.count(), 0);
        window.showNormal();
        QVERIFY(showing("third"));
        browser.GoBack();
        QVERIFY(showing("first"));

        window.showMinimized();
        browser.Navigate(pages[3]);
        browser.GoBack(); // from the page held to the page the engine shows
        browser.Navigate(pages[3]);
        browser.Stop();
        window.showNormal();
        browser.GoForward();
        QVERIFY(showing("third"));
    }

    // The pane's context menu holds only what works here: nothing that
    // would save a file, open a second window or show the page's source.
    void contextMenuOffersOnlyWhatWorks() {
        QtWebBrowser browser;
        QWebEngineView* view = browser.view();
        view->resize(500, 400);
        view->show();
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        view->setHtml(QStringLiteral(
            "<body style='margin:0;font-size:40px'><p>Text</p><a href='http://example.org/'>a "
            "link</a><br><img width=99 height=99 src='data:image/png;base64,iVBORw0KGgoAAAANSUhE"
            "UgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg=='>"));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPageTimeoutMs);
        // The page's background, the link, the image.
        for (const QPoint at : {QPoint(250, 350), QPoint(40, 100), QPoint(40, 170)}) {
            QTest::mouseClick(view->focusProxy(), Qt::RightButton, {}, at);
            QMenu* menu = nullptr;
            QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
            QVERIFY(menu->actions().contains(view->pageAction(QWebEnginePage::Reload)));
            for (QAction* a : menu->actions())
                QVERIFY2(!a->isVisible() || !a->text().contains(QRegularExpression(
                                                "Save|Download|source|new (tab|window)")),
                         qPrintable(a->text()));
            menu->close();
        }
    }

    // Nothing listens on port 1 of the loopback: the request returns at once
    // and the engine ends on its own error page.
    void unreachableAddressReturnsAtOnce() {
        QtWebBrowser browser;
        browser.view()->resize(400, 300);
        browser.view()->show();
        QSignalSpy loaded(browser.view(), &QWebEngineView::loadFinished);
        browser.Navigate(QStringLiteral("http://127.0.0.1:1/"));
        QCOMPARE(loaded.count(), 0); // Navigate did not wait for the page
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kPageTimeoutMs);
        QCOMPARE(loaded.last().at(0).toBool(), false);
        browser.Stop();
        browser.Refresh();
    }

    // The executable starts, shows the start page in its pane (seen from
    // outside through the engine's remote debugging port) and stays up until
    // it is told to go.
    void executableStartsAndStaysUp() {
        // Started with this process's environment, sandbox switch included.
        DebuggedProgram vigilo(QProcessEnvironment::systemEnvironment());
        // The start page is found beside the executable, not in the working folder.
        QVERIFY(vigilo.start(binDir() + QStringLiteral("/vigilo"), {}, QDir::tempPath()));
        QTRY_VERIFY2_WITH_TIMEOUT(vigilo.engineStarted(), vigilo.output().constData(),
                                  kPageTimeoutMs);
        QTRY_VERIFY2_WITH_TIMEOUT(
            vigilo.shows(QUrl::fromLocalFile(startPagePath()), QStringLiteral("Vigilo - start")),
            vigilo.lastAnswer().constData(), kPageTimeoutMs);
        QCOMPARE(vigilo.process().state(), QProcess::Running);
        QVERIFY(vigilo.stop(30000));
    }
};

int main(int argc, char** argv) {
    allowWebEngineAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TstRealProgram test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_real_program.moc"
