#pragma once

#include <QAccessibleInterface>
#include <QObject>

// Stands for a page node's interface as the web engine registers it: on a
// plain object of its own, read by the object's name.
class NodeInterface : public QAccessibleInterface {
public:
    explicit NodeInterface(QObject* object) : object_(object) {}
    bool isValid() const override { return true; }
    QObject* object() const override { return object_; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text) const override { return object_->objectName(); }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return {}; }

private:
    QObject* object_;
};
