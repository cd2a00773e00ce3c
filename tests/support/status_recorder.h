#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// A status window for tests: an object with an assignable "text" property
// that keeps every text assigned to it, in order.
class StatusRecorder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    using QObject::QObject;
    QString text() const { return texts.isEmpty() ? QString() : texts.last(); }
    void setText(const QString& text) { texts.append(text); }

    QStringList texts;
};
