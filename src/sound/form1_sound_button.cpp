#include "mainwindow/form1.h"

#include "sound/form3.h"
#include "sound/wave_file.h"

#include <QPushButton>

void Form1::Command2_Click() {
    if (sWaveFile.isEmpty()) {
        // One chooser for the whole run; it is only hidden afterwards.
        if (!form3_)
            form3_ = new Form3(*platform_.shortPath, *platform_.messages, this);
        form3_->show();
        form3_->raise();
        form3_->activateWindow();
        return;
    }
    // Only the caption changes; whether the alert sounds is Check1's business.
    Command2->setText(Command2->text() == QStringLiteral("Sound Off")
                          ? QStringLiteral("Sound On")
                          : QStringLiteral("Sound Off"));
}
