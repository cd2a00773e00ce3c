#include "mainwindow/form1.h"

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
    return Check1->isChecked() && !sound_.muted();
}

void Form1::playSound() {
    sound_.play();
}

QStringList Form1::randomList() const {
    return editor_->entries();
}

void Form1::showRandomPick(int index) {
    Combo2->setCurrentIndex(index);
    // An editable box keeps typed text when the index does not change.
    Combo2->setEditText(Combo2->itemText(index));
}

void Form1::showRunning(bool running) {
    Command1->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

// The text is the line's accessible name too: a screen reader hears each new
// outcome, and not the reader's progress, which changes the text alone.
void Form1::showStatus(const QString& text) {
    statusText->setText(text);
    statusText->setAccessibleName(text);
}

void Form1::showCountdown(const QString& text) {
    Label3->setText(text);
}

QWidget& Form1::alertedWindow() {
    return *this;
}

// The work lists of a scan, which the window keeps hidden, start afresh.
void Form1::showScanStarted(const QString& url) {
    lstReferences->clear();
    lstReferences->addItem(url);
    txtRawHTML->clear();
    List3->clear();
    List4->clear();
}
