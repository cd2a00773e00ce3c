#include "widgets/accessible_windows.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QByteArrayList>

namespace {

constexpr char kUnseen[] = "vigiloUnseenByAssistiveTools";

bool unseen(const QObject* object) {
    for (; object; object = object->parent())
        if (object->property(kUnseen).toBool())
            return true;
    return false;
}

// The class names of the program's windows; only the main thread asks.
QByteArrayList& windowClasses() {
    static QByteArrayList classes;
    return classes;
}

bool isProgramWindow(const QObject* window) {
    for (const QByteArray& name : windowClasses())
        if (window->inherits(name.constData()))
            return true;
    return false;
}

bool inProgramWindow(const QWidget* widget) {
    return isProgramWindow(widget->window());
}

// Stands for a widget no tool may see. Qt hands on no event of an object whose
// interface is not valid, and the containers below skip it.
class Unseen : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    bool isValid() const override { return false; }
};

// A window, or a plain container in one, listing only the children tools may
// see.
class SeenChildren : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    int childCount() const override { return static_cast<int>(seen().size()); }
    QAccessibleInterface* child(int index) const override { return seen().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(seen().indexOf(child));
    }

private:
    QList<QAccessibleInterface*> seen() const {
        QList<QAccessibleInterface*> children;
        for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i)
            if (QAccessibleInterface* c = QAccessibleWidget::child(i); c && c->isValid())
                children.append(c);
        return children;
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (unseen(widget))
        return new Unseen(widget);
    if (widget->isWindow() && windowClasses().contains(className.toLatin1()))
        return new SeenChildren(widget, QAccessible::Window);
    if (!widget->isWindow() && widget->metaObject() == &QWidget::staticMetaObject &&
        inProgramWindow(widget))
        return new SeenChildren(widget);
    return nullptr;
}

} // namespace

void exposeWindowToAssistiveTools(const char* className) {
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    (void)installed;
    if (!windowClasses().contains(className))
        windowClasses().append(className);
}

void keepFromAssistiveTools(QWidget* widget) {
    widget->setProperty(kUnseen, true);
}
