#include "mainwindow/form1.h"

#include "widgets/interval_timer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>

namespace {

void stopRunning(Form1& f) {
    f.Timer1->setEnabled(false);
    f.Command1->setText(QStringLiteral("Start"));
}

int drawIndex(const Form1& f, int count) {
    return static_cast<int>(count * f.platform().random());
}

// Picks an entry of the random list other than the previous pick. Returns
// false when the tick must end without navigating.
bool pickRandomUrl(Form1& f) {
    const int count = f.Combo2->count();
    int pick = drawIndex(f, count);
    while (pick == f.vLastPick.value_or(0)) {
        if (f.Combo2->count() < 2) {
            // Stopped before the box opens: ticks arriving while it is open
            // must not stack up further boxes.
            stopRunning(f);
            f.platform().messages->show(QStringLiteral("Random list to small stopping timer.."),
                                        QStringLiteral("hey..."));
            return false;
        }
        pick = drawIndex(f, count);
    }
    if (pick < 0 || pick >= f.Combo2->count())
        throw std::out_of_range("random pick outside the list");
    f.Combo2->setCurrentIndex(pick);
    // An editable box keeps typed text when the index does not change.
    f.Combo2->setEditText(f.Combo2->itemText(pick));
    f.vLastPick = pick;
    // The entry itself: the box's edit field cuts a longer text short.
    f.sCurrentUrl = f.Combo2->itemText(pick);
    if (f.sCurrentUrl.isEmpty())
        return false;
    f.showInAddressBox(f.sCurrentUrl);
    return true;
}

// Returns false when a scan is already running and this period end must pass.
bool scanSingleUrl(Form1& f) {
    if (f.bBusy)
        return false;
    // Events run during the scan and may move sCurrentUrl on (a random pick);
    // what is shown afterwards is the page that was scanned.
    const QString url = f.sCurrentUrl;
    f.bBusy = true;
    try {
        f.ScanPage();
    } catch (...) {
        f.bBusy = false;
        throw;
    }
    f.bBusy = false;
    f.sCurrentUrl = url;
    f.showInAddressBox(url);
    return true;
}

} // namespace

void Form1::Timer1_Timer() {
    try {
        if (lCountdown != 0) {
            --lCountdown;
            Label3->setText(QStringLiteral("min") + QString::number(lCountdown));
            return;
        }
        lCountdown = lPeriodTicks;

        bool navigate = false;
        if (Option1->isChecked()) {
            sCurrentUrl = Text1->text();
            navigate = sCurrentUrl.isEmpty() ? pickRandomUrl(*this) : scanSingleUrl(*this);
        } else {
            // Random mode draws from the list whatever the URL box holds.
            navigate = pickRandomUrl(*this);
        }
        if (navigate)
            platform_.browser->Navigate(sCurrentUrl);
    } catch (...) {
        stopRunning(*this);
    }
}
