#include "mainwindow/form1.h"

// placeholders until browser navigation lands
void Form1::Command3_Click() {}
void Form1::cboAddress_Click() {}
void Form1::cboAddress_KeyPress(std::int16_t&) {}
void Form1::tbToolBar_ButtonClick(QAction*) {}
