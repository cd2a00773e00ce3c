#include "mainwindow/form1.h"

// placeholders until the monitor lands
void Form1::Command1_Click() {}
void Form1::Option1_Click() {}
void Form1::Option2_Click() {}
void Form1::Timer1_Timer() {}
void Form1::ScanPage() {}
void Form1::CheckForUpdate() {}
