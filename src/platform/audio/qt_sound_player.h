#pragma once

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
    // one off for each sound that ends, fails or goes with it.
    explicit QtSoundPlayer(std::shared_ptr<std::atomic<int>> pending);

    // Starts the sound and returns; fails silently.
    void play(const QString& path);

private:
    void done();

    std::shared_ptr<std::atomic<int>> pending_;
};
