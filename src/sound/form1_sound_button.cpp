#include "mainwindow/form1.h"

void Form1::Command2_Click() {} // placeholder until the wave chooser lands
