#include "mainwindow/form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// The handlers of the subsystems' controls: each hands the event to the class
// that owns what it does.

void Form1::Command1_Click() {
    monitor_.startOrStop();
}

void Form1::Timer1_Timer() {
    monitor_.tick();
}

// The mode switches run when their button becomes selected: single mode
// takes the URL box and its controls, random mode leaves them aside.
void Form1::Option1_Click() {
    enableSingleUrlControls(true);
}

void Form1::Option2_Click() {
    enableSingleUrlControls(false);
}

void Form1::enableSingleUrlControls(bool enabled) {
    Text1->setEnabled(enabled);
    Command3->setEnabled(enabled);
    Check1->setEnabled(enabled);
}

void Form1::Command2_Click() {
    sound_.buttonPressed(this);
}

void Form1::Command4_Click() {
    editor_->open();
}

void Form1::Command5_Click() {
    editor_->save();
}

void Form1::Command6_Click() {
    editor_->cancel();
}

void Form1::Command7_Click() {
    editor_->add();
}

void Form1::Command8_Click() {
    editor_->removeSelected();
}

void Form1::Command9_Click() {
    editor_->clear();
}

void Form1::Text2_KeyDown(int KeyCode, Qt::KeyboardModifiers) {
    editor_->entryKeyDown(KeyCode);
}
