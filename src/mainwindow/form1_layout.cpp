#include "mainwindow/form1.h"

void Form1::Form_Resize() {} // placeholder until the layout lands
