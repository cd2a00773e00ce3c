#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// Keeps the keyboard inside a frame that covers the rest of its window while
// the frame is shown: focus goes to `first` when it opens, Tab and Shift+Tab
// cycle among the frame's own controls, focus that strays to a covered
// control (by code, a window activation or an assistive tool) is brought
// back, and `returnTo` gets the focus when the frame hides.
class FrameFocusTrap : public QObject {
    Q_OBJECT
public:
    FrameFocusTrap(QWidget* frame, QWidget* first, QWidget* returnTo);

    // Moves the focus to the frame's next (or previous) control, wrapping
    // round; false while the frame is closed, leaving Tab to the window.
    bool moveFocus(bool next);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    bool takesTabFocus(const QWidget* widget) const;

    QPointer<QWidget> frame_;
    QPointer<QWidget> first_;
    QPointer<QWidget> returnTo_;
    bool open_ = false;
};
