#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Form3;
class MessageBoxes;
class QWidget;
class SoundOutput;

// The alert sound: the wave file the user chose, the chooser (Form3) that
// chooses it, the switch that mutes it, and its playing at a real update.
// The choice and the switch live only for the run.
class AlertSound : public QObject {
    Q_OBJECT
public:
    AlertSound(SoundOutput& sound, MessageBoxes& messages);
    ~AlertSound() override; // the chooser goes with it

    // The sound button: until a file is chosen it shows the chooser, made on
    // the first press as a tool window of `window` and only hidden after
    // that; once a file is chosen each press switches the sound off and on,
    // starting with off.
    void buttonPressed(QWidget* window);
    // Switched off: the alert is silent whatever the sound box says.
    bool muted() const { return switch_ == Switch::Off; }
    // The button's caption for the present state: "select wav" until the
    // first switch, then "Sound Off" or "Sound On".
    QString caption() const;
    // Starts the chosen sound and returns at once; never reports a failure.
    void play();

    Form3* form3() const;

    // Empty until the chooser's OK succeeds, then the path of the sound.
    QString sWaveFile;

signals:
    void captionChanged(const QString& caption);

private:
    enum class Switch { NotYet, Off, On };

    SoundOutput& sound_;
    MessageBoxes& messages_;
    QPointer<Form3> form3_;
    Switch switch_ = Switch::NotYet;
};
