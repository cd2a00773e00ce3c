#pragma once

#include <QWidget>

// Assistive tools see the program's windows of class `className` as windows
// (frames), with their titles, rather than as anonymous panes: a plain widget
// window would otherwise be announced as a filler.
void exposeWindowToAssistiveTools(const char* className);

// Keeps `widget` and everything inside it away from assistive tools: left out
// of the windows' children, and raising no events.
void keepFromAssistiveTools(QWidget* widget);

// Creates a control the window never shows, hidden, and unseen by assistive
// tools from its construction on: a screen reader would otherwise read its
// changes aloud at every check, the address box's and the countdown's among
// them.
template <typename T> T* createHiddenForGood(QWidget* parent) {
    // Whatever the control raises while it is built is raised inside this.
    QWidget unseen;
    keepFromAssistiveTools(&unseen);
    auto* control = new T(&unseen);
    keepFromAssistiveTools(control);
    control->setParent(parent);
    control->hide();
    return control;
}
