#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Plays wave files through Qt Multimedia on the thread it lives on. Nothing
// else in the program touches Qt Multimedia, so a sound system that hangs
// holds up this thread alone, never the window.
class QtSoundPlayer : public QObject {
    Q_OBJECT
public:
    // `pending` counts the sounds asked for and not yet over; the player takes
    // one off for each sound that ends, fails, is dropped or goes with it.
    explicit QtSoundPlayer(std::shared_ptr<std::atomic<int>> pending);

    // Starts the sound and returns; fails silently. A request still waiting
    // when `notAfter` expires is dropped: the sound system held this thread,
    // and a pile of late alerts all at once helps nobody.
    void play(const QString& path, QDeadlineTimer notAfter);

    // However long a sound lasts, its effect goes this long after it should
    // have ended, even if the sound system never says it has.
    static constexpr int kOvertimeMs = 15000;

private:
    void done();

    std::shared_ptr<std::atomic<int>> pending_;
};
