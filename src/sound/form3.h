#pragma once

#include <QWidget>

// The wave file chooser.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);
};
