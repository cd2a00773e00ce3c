#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

// Loads the pane's pages only while the pane can be seen. A load costs the
// engine its parsing and layout even in a minimized window, so a request
// made while the pane's window is minimized or the pane is not shown is held
// instead, each later one replacing it, and the last one is loaded once as
// soon as the pane is shown again.
class PaneLoadGate : public QObject {
    Q_OBJECT
public:
    using Load = std::function<void(const QUrl&)>;

    PaneLoadGate(QWidget* pane, Load load);

    // Loads `url` at once, or holds it until the pane is shown.
    void request(const QUrl& url);
    bool holding() const { return held_.has_value(); }
    // Forgets the request held, if any.
    void drop();

    // Whether a load now could be seen: the pane shown, its window not
    // minimized (a window covered by others still counts as seen).
    bool paneShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch();
    void unwatch();

    QPointer<QWidget> pane_;
    QPointer<QWidget> window_; // the pane's window while a request is held
    Load load_;
    std::optional<QUrl> held_;
};
