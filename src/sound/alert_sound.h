#pragma once

#include <QPointer>
#include <QString>

class Form3;
class MessageBoxes;
class QPushButton;
class QWidget;
class SoundOutput;

// The alert sound: the wave file the user chose, the chooser (Form3) that
// chooses it, and its playing at a real update. The choice lives only for
// the run.
class AlertSound {
public:
    AlertSound(SoundOutput& sound, MessageBoxes& messages);
    ~AlertSound(); // the chooser goes with it
    AlertSound(const AlertSound&) = delete;
    AlertSound& operator=(const AlertSound&) = delete;

    // The sound button: until a file is chosen it shows the chooser, made on
    // the first press as a tool window of `window` and only hidden after
    // that; once a file is chosen each press switches the button between
    // "Sound Off" and "Sound On".
    void buttonPressed(QPushButton& button, QWidget* window);
    // Whether the button reads "Sound Off": the alert is then silent
    // whatever the sound box says. The caption is the switch's only state.
    static bool switchedOff(const QPushButton& button);
    // Starts the chosen sound and returns at once; never reports a failure.
    void play();

    Form3* form3() const;

    // Empty until the chooser's OK succeeds, then the path of the sound.
    QString sWaveFile;

private:
    SoundOutput& sound_;
    MessageBoxes& messages_;
    QPointer<Form3> form3_;
};
