#pragma once

#include "fake_platform.h"
#include "http_test_server.h"
#include "mainwindow/form1.h"
#include "platform/internet/curl_internet.h"
#include "sound/alert_sound.h"
#include "widgets/interval_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

// The main window on fakes, except for the real internet layer reading from a
// loopback server.
struct MonitorRig {
    HttpTestServer server;
    CurlInternet internet;
    FakePlatform fakes;
    std::unique_ptr<Form1> form;

    explicit MonitorRig(CurlInternet::Timeouts timeouts = {2000, 20000}) : internet(timeouts) {
        fakes.internetOverride = &internet;
        form = std::make_unique<Form1>(fakes.platform());
        form->alertSound().sWaveFile = QStringLiteral("/sounds/alert.wav");
    }
    // The window adopts the fake browser's widget, which the fake also owns.
    ~MonitorRig() { fakes.browser.widget()->setParent(nullptr); }

    void watch(const QString& path, const QString& interval = QStringLiteral("10 sec")) {
        form->Text1->setText(server.url(path));
        form->Combo1->setEditText(interval);
        if (form->Command1->text() == QLatin1String("Stop"))
            form->Command1_Click();
        form->Command1_Click();
    }
    int plays() const {
        int n = 0;
        for (const QByteArray& c : fakes.media.commands)
            n += c == QByteArrayLiteral("play /sounds/alert.wav") ? 1 : 0;
        return n;
    }
};
