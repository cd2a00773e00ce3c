#include "mainwindow/form1.h"

#include "mainwindow/credits.h"
#include "mainwindow/window_log.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include <exception>

namespace {

const QString kStoppedCaption = QString::fromLatin1(kProgramTitle);

// "<< Browse" and the address box leave a failing request uncaught, but an
// exception must not leave a Qt slot: it is reported here the way an
// unhandled error is, in a box naming the program, and the window goes on.
template <typename Body> void reportingFailures(MessageBoxes& messages, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        qCWarning(lcWindow).noquote() << "Navigation failed:" << e.what();
        messages.show(QString::fromLocal8Bit(e.what()), kStoppedCaption);
    } catch (...) {
        qCWarning(lcWindow).noquote() << "Navigation failed.";
        messages.show(QStringLiteral("Unexpected error"), kStoppedCaption);
    }
}

// The address box and the toolbar go on past a failing browser command; `what`
// names it in the log.
template <typename Command> void ignoringFailures(const char* what, Command command) {
    try {
        command();
    } catch (const std::exception& e) {
        qCWarning(lcWindow).noquote() << what << "failed:" << e.what();
    } catch (...) {
        qCWarning(lcWindow).noquote() << what << "failed.";
    }
}

} // namespace

void Form1::Command3_Click() {
    reportingFailures(*platform_.messages, [this] {
        if (Text1->text().isEmpty())
            return;
        // The history records the monitor's URL; the browser shows Text1.
        showInAddressBox(monitor_.sCurrentUrl);
        platform_.browser->Navigate(Text1->text());
    });
}

void Form1::showInAddressBox(const QString& address) {
    // Dropped before the text is set: removing the entry the box stands on
    // would put another entry's text into it.
    while (cboAddress->count() >= kAddressHistoryLimit)
        cboAddress->removeItem(0);
    cboAddress->setEditText(address);
    cboAddress->addItem(cboAddress->currentText());
}

void Form1::cboAddress_Click() {
    reportingFailures(*platform_.messages,
                      [this] { platform_.browser->Navigate(cboAddress->currentText()); });
}

void Form1::cboAddress_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii != 13)
        return;
    ignoringFailures("Navigate",
                     [this] { platform_.browser->Navigate(cboAddress->currentText()); });
}

void Form1::tbToolBar_ButtonClick(QAction* Button) {
    // A key that cannot be read matches no command.
    QString key;
    ignoringFailures("Reading the toolbar key", [&] {
        if (Button)
            key = Button->data().toString();
    });
    WebBrowser& browser = *platform_.browser;
    if (key == QLatin1String("Back")) {
        ignoringFailures("GoBack", [&] { browser.GoBack(); });
    } else if (key == QLatin1String("Forward")) {
        ignoringFailures("GoForward", [&] { browser.GoForward(); });
    } else if (key == QLatin1String("Refresh")) {
        ignoringFailures("Refresh", [&] { browser.Refresh(); });
    } else if (key == QLatin1String("Home")) {
        ignoringFailures("GoHome", [&] { browser.GoHome(); });
    } else if (key == QLatin1String("Search")) {
        ignoringFailures("GoSearch", [&] { browser.GoSearch(); });
    } else if (key == QLatin1String("Stop")) {
        ignoringFailures("Stop", [&] { browser.Stop(); });
        setWindowTitle(kStoppedCaption);
    }
}
