#include "mainwindow/form1.h"

#include "widgets/interval_timer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

QString Form1::intervalCaption() const {
    return Combo1->currentText();
}

QString Form1::singleUrl() const {
    return Text1->text();
}

bool Form1::singleUrlMode() const {
    return Option1->isChecked();
}

// Selecting the button runs its switch; one already selected is not selected
// anew, so the switch is run here instead.
void Form1::fallBackToSingleUrlMode() {
    if (Option1->isChecked())
        Option1_Click();
    else
        Option1->setChecked(true);
}

bool Form1::soundWanted() const {
    return Check1->isChecked() && !AlertSound::switchedOff(*Command2);
}

void Form1::playSound() {
    sound_.play();
}

int Form1::randomListCount() const {
    return Combo2->count();
}

QString Form1::randomListEntry(int index) const {
    return Combo2->itemText(index);
}

void Form1::showRandomPick(int index) {
    Combo2->setCurrentIndex(index);
    // An editable box keeps typed text when the index does not change.
    Combo2->setEditText(Combo2->itemText(index));
}

bool Form1::offersStart() const {
    return Command1->text() == QLatin1String("Start");
}

void Form1::armTimer(int milliseconds) {
    Timer1->setInterval(milliseconds);
    Timer1->setEnabled(true);
    Command1->setText(QStringLiteral("Stop"));
}

void Form1::disarmTimer() {
    Timer1->setEnabled(false);
    Command1->setText(QStringLiteral("Start"));
}

void Form1::showCountdown(const QString& text) {
    Label3->setText(text);
}

QWidget& Form1::alertedWindow() {
    return *this;
}

void Form1::resetScanLists(const QString& url) {
    lstReferences->clear();
    lstReferences->addItem(url);
    txtRawHTML->clear();
    List3->clear();
    List4->clear();
}

int Form1::referenceCount() const {
    return lstReferences->count();
}

QString Form1::selectReference(int row) {
    lstReferences->setCurrentRow(row);
    return lstReferences->item(row)->text();
}
