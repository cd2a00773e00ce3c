#include "platform/browser/screen_reader_watch.h"

#include "platform/browser/browser_log.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kScreenReader = QStringLiteral("ScreenReaderEnabled");
} // namespace

struct ScreenReaderWatch::Bus {
    explicit Bus(const QDBusConnection& c) : connection(c) {}
    QDBusConnection connection;
};

std::unique_ptr<ScreenReaderWatch> ScreenReaderWatch::onSessionBus() {
    return std::make_unique<ScreenReaderWatch>(QDBusConnection::sessionBus());
}

ScreenReaderWatch::ScreenReaderWatch(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(std::make_unique<Bus>(bus)) {
    QDBusConnection& c = bus_->connection;
    if (!c.isConnected()) {
        qCInfo(lcBrowser) << "no session bus, so no screen reader to hear of:"
                          << c.lastError().message();
        return;
    }
    // The signal is taken only from the name's owner of the moment.
    if (!c.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                   SLOT(propertiesChanged(QString, QVariantMap, QStringList))))
        qCWarning(lcBrowser) << "cannot follow the accessibility bus's status:"
                             << c.lastError().message();
    auto* owner = new QDBusServiceWatcher(kService, c,
                                          QDBusServiceWatcher::WatchForRegistration |
                                              QDBusServiceWatcher::WatchForUnregistration,
                                          this);
    connect(owner, &QDBusServiceWatcher::serviceRegistered, this, &ScreenReaderWatch::ask);
    connect(owner, &QDBusServiceWatcher::serviceUnregistered, this, [this] { set(false); });
    ask();
}

ScreenReaderWatch::~ScreenReaderWatch() = default;

void ScreenReaderWatch::ask() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    get << kStatus << kScreenReader;
    // Without a bus, no screen reader runs: the question does not start one.
    get.setAutoStartService(false);
    auto* call = new QDBusPendingCallWatcher(bus_->connection.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &ScreenReaderWatch::answered);
}

void ScreenReaderWatch::answered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    QDBusPendingReply<QDBusVariant> reply = *call;
    if (reply.isError()) {
        // No bus launcher: no screen reader either.
        const QDBusError error = reply.error();
        if (error.type() != QDBusError::ServiceUnknown &&
            error.name() != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            qCWarning(lcBrowser) << "cannot tell whether a screen reader runs:"
                                 << reply.error().message();
        return;
    }
    set(reply.value().variant().toBool());
}

void ScreenReaderWatch::propertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                          const QStringList& invalidated) {
    if (interfaceName != kStatus)
        return;
    if (changed.contains(kScreenReader))
        set(changed.value(kScreenReader).toBool());
    else if (invalidated.contains(kScreenReader))
        ask();
}

void ScreenReaderWatch::set(bool running) {
    if (running == running_)
        return;
    running_ = running;
    emit runningChanged(running);
}
