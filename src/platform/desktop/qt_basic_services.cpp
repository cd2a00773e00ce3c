#include "platform/desktop/qt_basic_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

// A box belongs to the window the user is working in, which has the keyboard
// again once the box is closed, whatever window the window manager would
// pick next.
void QtMessageBoxes::show(const QString& prompt, const QString& title) {
    QPointer<QWidget> owner = QApplication::activeWindow();
    if (!owner)
        owner = parent_;
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, owner);
    box.exec();
    if (owner && owner->isVisible())
        owner->activateWindow();
}

// Busy and restore come in pairs, but a restore must always leave the default
// pointer even if an earlier busy was never matched.
void QtBusyPointer::setBusy() {
    if (depth_ == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++depth_;
}

void QtBusyPointer::restore() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    depth_ = 0;
}

QtEventPump::QtEventPump(std::chrono::nanoseconds spacing, Clock clock)
    : spacing_(spacing), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
}

void QtEventPump::processEvents() {
    const std::chrono::nanoseconds now = clock_();
    if (lastRound_ && now - *lastRound_ < spacing_)
        return;
    QCoreApplication::processEvents();
    // Counted from the round's end: events it ran may take long themselves.
    lastRound_ = clock_();
}

QString QtProgramInfo::folder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString QtProgramInfo::exeName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void QtProgramInfo::endProcess() {
    std::fflush(nullptr);
    std::_Exit(0);
}

QMargins QtWindowFrames::frameOf(const QWidget& window) const {
    const QRect client = window.geometry();
    const QRect outer = window.frameGeometry();
    return QMargins(client.left() - outer.left(), client.top() - outer.top(),
                    outer.right() - client.right(), outer.bottom() - client.bottom());
}

std::function<double()> makeClockSeededRandom() {
    auto seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    auto engine = std::make_shared<std::mt19937_64>(seed);
    // 53 random bits scaled down: never reaches 1.0, unlike some
    // uniform_real_distribution implementations.
    return [engine] { return static_cast<double>((*engine)() >> 11) * 0x1.0p-53; };
}
