#include "sound/alert_sound.h"

#include "sound/form3.h"
#include "sound/play_wave.h"

#include <QPushButton>

namespace {

const QString kSoundOff = QStringLiteral("Sound Off");
const QString kSoundOn = QStringLiteral("Sound On");

} // namespace

AlertSound::AlertSound(SoundOutput& sound, MessageBoxes& messages)
    : sound_(sound), messages_(messages) {}

AlertSound::~AlertSound() {
    delete form3_.data();
}

void AlertSound::buttonPressed(QPushButton& button, QWidget* window) {
    if (sWaveFile.isEmpty()) {
        if (!form3_) {
            form3_ = new Form3(messages_, window);
            QObject::connect(form3_, &Form3::fileChosen, form3_,
                             [this](const QString& path) { sWaveFile = path; });
        }
        form3_->show();
        form3_->raise();
        form3_->activateWindow();
        return;
    }
    button.setText(switchedOff(button) ? kSoundOn : kSoundOff);
}

bool AlertSound::switchedOff(const QPushButton& button) {
    return button.text() == kSoundOff;
}

Form3* AlertSound::form3() const {
    return form3_;
}

void AlertSound::play() {
    PlayWave(sound_, sWaveFile);
}
