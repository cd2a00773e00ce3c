#include "fake_platform.h"

#include <QCoreApplication>
#include <QTimer>
#include <QtTest>

#include <random>
#include <stdexcept>

QWidget* FakeBrowser::widget() {
    if (!widget_)
        widget_ = std::make_unique<QWidget>();
    return widget_.get();
}

void FakeBrowser::record(const QString& call) {
    calls.append(call);
    if (failNext) {
        failNext = false;
        throw std::runtime_error("browser call failed");
    }
}

void FakeBrowser::Navigate(const QString& address) {
    record(QStringLiteral("Navigate ") + address);
    navigated.append(address);
}

void FakePageReader::fetch(PageRequest request) {
    if (reading_)
        abandon();
    requests.append(request);
    reading_ = true;
    const auto page = pages.constFind(request.url);
    if (page == pages.cend())
        return;
    QTimer::singleShot(0, this, [this, serial = ++serial_, result = *page] {
        if (reading_ && serial == serial_)
            end(result);
    });
}

void FakePageReader::abandon() {
    if (!reading_)
        return;
    reading_ = false;
    ++serial_;
    ++abandoned;
}

void FakePageReader::progress(qint64 bytes) {
    QVERIFY(reading_);
    emit progressed(bytes);
}

void FakePageReader::finish(const QByteArray& body) {
    end({body, 0, {}});
}

void FakePageReader::fail(std::int32_t code, const QString& text) {
    end({{}, code, text});
}

void FakePageReader::end(const PageResult& result) {
    QVERIFY(reading_);
    reading_ = false;
    ++serial_;
    emit finished(result);
}

FakePlatform::FakePlatform() {
    program.folder_ = dir.path();
}

Platform FakePlatform::platform() {
    Platform p;
    p.reader = readerOverride ? readerOverride : &reader;
    p.browser = &browser;
    p.sound = &sound;
    p.messages = &messages;
    p.pointer = &pointer;
    p.program = &program;
    p.frames = &frames;
    p.alerts = &alerts;
    p.notifications = &notifications;
    p.random = [this] {
        if (draws.empty())
            return std::uniform_real_distribution<double>(0.0, 0.999)(fallback);
        double d = draws.front();
        draws.pop_front();
        return d;
    };
    p.now = [this] { return clock; };
    return p;
}
