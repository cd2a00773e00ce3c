#include "fake_platform.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstring>
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

std::uint32_t FakeShortPath::GetShortPathName(const QByteArray& longPath, char* buffer,
                                              std::uint32_t length) {
    asked.append(longPath);
    QFileInfo info(QString::fromLatin1(longPath));
    if (!info.exists())
        return 0;
    QByteArray result = info.absoluteFilePath().toLatin1();
    if (static_cast<std::uint32_t>(result.size()) + 1 > length)
        return 0;
    std::memcpy(buffer, result.constData(), static_cast<size_t>(result.size()) + 1);
    return static_cast<std::uint32_t>(result.size());
}

void FakeEventPump::processEvents() {
    ++count;
    QCoreApplication::processEvents();
    if (hook)
        hook();
}

InternetHandle FakeInternet::InternetOpen(const QByteArray& agent) {
    calls.append(QStringLiteral("open session ") + QString::fromLatin1(agent));
    lastAgent = agent;
    if (failSessionOpen) {
        lastError_ = 12004;
        return 0;
    }
    lastError_ = 0;
    InternetHandle h = next_++;
    Open o;
    o.session = true;
    handles_.insert(h, o);
    return h;
}

InternetHandle FakeInternet::InternetOpenUrl(InternetHandle session, const QByteArray& url) {
    calls.append(QStringLiteral("open url ") + QString::fromLatin1(url));
    if (!handles_.contains(session) || !handles_[session].session) {
        lastError_ = InternetError::InvalidHandle;
        return 0;
    }
    if (!pages.contains(url)) {
        lastError_ = InternetError::NameNotResolved;
        return 0;
    }
    const Page& page = pages[url];
    if (page.openError) {
        lastError_ = page.openError;
        return 0;
    }
    lastError_ = 0;
    InternetHandle h = next_++;
    Open o;
    o.page = page;
    handles_.insert(h, o);
    return h;
}

bool FakeInternet::InternetReadFile(InternetHandle url, char* buffer, std::uint32_t toRead,
                                    std::uint32_t* bytesRead) {
    *bytesRead = 0;
    if (!handles_.contains(url) || handles_[url].session) {
        lastError_ = InternetError::InvalidHandle;
        return false;
    }
    if (duringRead)
        duringRead();
    Open& o = handles_[url];
    if (o.page.failReadAfterChunks >= 0 && o.chunks == o.page.failReadAfterChunks) {
        lastError_ = o.page.readError;
        return false;
    }
    ++o.chunks;
    qsizetype n = std::min<qsizetype>(toRead, o.page.body.size() - o.offset);
    std::memcpy(buffer, o.page.body.constData() + o.offset, static_cast<size_t>(n));
    o.offset += n;
    *bytesRead = static_cast<std::uint32_t>(n);
    lastError_ = 0;
    return true;
}

bool FakeInternet::InternetCloseHandle(InternetHandle handle) {
    calls.append(QStringLiteral("close ") + QString::number(handle));
    if (!handles_.remove(handle)) {
        lastError_ = InternetError::InvalidHandle;
        return false;
    }
    lastError_ = 0;
    return true;
}

std::int64_t FakeInternet::contentLength(InternetHandle url) const {
    const auto it = handles_.constFind(url);
    return it == handles_.cend() || it->session ? -1 : it->page.announcedLength;
}

FakePlatform::FakePlatform() {
    program.folder_ = dir.path();
}

Platform FakePlatform::platform() {
    Platform p;
    p.internet = internetOverride ? internetOverride : &internet;
    p.browser = &browser;
    p.media = &media;
    p.shortPath = &shortPath;
    p.messages = &messages;
    p.pointer = &pointer;
    p.events = &events;
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
    return p;
}
