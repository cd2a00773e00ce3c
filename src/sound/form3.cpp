#include "sound/form3.h"

Form3::Form3(QWidget* parent) : QWidget(parent) {} // placeholder
