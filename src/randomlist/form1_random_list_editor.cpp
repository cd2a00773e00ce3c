#include "mainwindow/form1.h"

// placeholders until the list editor lands
void Form1::Command4_Click() {}
void Form1::Command5_Click() {}
void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::Command8_Click() {}
void Form1::Command9_Click() {}
void Form1::Text2_KeyDown(int, Qt::KeyboardModifiers) {}
