#include "sound/alert_sound.h"

#include "sound/form3.h"
#include "sound/play_wave.h"

AlertSound::AlertSound(SoundOutput& sound, MessageBoxes& messages)
    : sound_(sound), messages_(messages) {}

AlertSound::~AlertSound() {
    delete form3_.data();
}

void AlertSound::buttonPressed(QWidget* window) {
    if (sWaveFile.isEmpty()) {
        if (!form3_) {
            form3_ = new Form3(messages_, window);
            connect(form3_, &Form3::fileChosen, this,
                    [this](const QString& path) { sWaveFile = path; });
        }
        form3_->show();
        form3_->raise();
        form3_->activateWindow();
        return;
    }
    switch_ = muted() ? Switch::On : Switch::Off;
    emit captionChanged(caption());
}

QString AlertSound::caption() const {
    switch (switch_) {
    case Switch::NotYet:
        return QStringLiteral("select wav");
    case Switch::Off:
        return QStringLiteral("Sound Off");
    case Switch::On:
        return QStringLiteral("Sound On");
    }
    return {};
}

Form3* AlertSound::form3() const {
    return form3_;
}

void AlertSound::play() {
    PlayWave(sound_, sWaveFile);
}
