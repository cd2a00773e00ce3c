#include "mainwindow/form1.h"

void Form1::LoadRandomList() {} // placeholder until the list file lands
