#include "mainwindow/form1.h"

#include "monitor/interval_table.h"
#include "widgets/interval_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

void startMonitor(Form1& f) {
    MessageBoxes& messages = *f.platform().messages;
    const QString interval = f.Combo1->currentText();
    if (interval.isEmpty()) {
        messages.show(QStringLiteral("Select an Timer Interval!"), QStringLiteral("No Interval"));
        return;
    }
    // Random mode needs two entries to alternate between; fall back before the
    // interval is even looked at.
    if (f.Combo2->count() < 2) {
        // Selecting the button runs its switch; one already selected is
        // not selected anew, so the switch is run here instead.
        if (f.Option1->isChecked())
            f.Option1_Click();
        else
            f.Option1->setChecked(true);
    }
    const std::optional<IntervalRow> row = findInterval(interval);
    if (!row) {
        messages.show(QStringLiteral("No valid timer interval"),
                      QStringLiteral("No valid interval"));
        return;
    }
    f.lPeriodTicks = row->reloadTicks;
    f.lCountdown = row->reloadTicks;
    f.Timer1->setInterval(row->timerMs);
    f.sCurrentUrl = f.Text1->text();
    f.Timer1->setEnabled(true);
    f.Command1->setText(QStringLiteral("Stop"));
}

void stopMonitor(Form1& f) {
    f.Timer1->setEnabled(false);
    f.Command1->setText(QStringLiteral("Start"));
    f.lPeriodTicks = 0;
}

void enableSingleUrlControls(Form1& f, bool enabled) {
    f.Text1->setEnabled(enabled);
    f.Command3->setEnabled(enabled);
    f.Check1->setEnabled(enabled);
}

} // namespace

// The caption is the running indicator: anything but "Start" means running.
void Form1::Command1_Click() {
    if (Command1->text() == QLatin1String("Start"))
        startMonitor(*this);
    else
        stopMonitor(*this);
}

void Form1::Option1_Click() {
    enableSingleUrlControls(*this, true);
}

void Form1::Option2_Click() {
    enableSingleUrlControls(*this, false);
}
