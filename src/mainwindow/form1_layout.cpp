#include "mainwindow/form1.h"
#include "mainwindow/window_log.h"

#include "widgets/classic_frame.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <exception>

namespace {

float topOf(const QWidget* w) {
    return twips::geometry(w).top;
}
float widthOf(const QWidget* w) {
    return twips::geometry(w).width;
}
float heightOf(const QWidget* w) {
    return twips::geometry(w).height;
}

} // namespace

// The outer size is the client area plus the classic frame the bottom rows
// were set for, so they stay whole inside the client area under any window
// manager.
void Form1::Form_Resize() {
    const double scale = twips::pixelsPerTwip(this);
    const float SW = twips::fromPixels(width(), scale);
    const float SH = twips::fromPixels(height() - statusLineHeight(), scale);
    layOut(SW + classicframe::kWidth, SH + classicframe::kHeight, SW, SH);
}

void Form1::layOut(float W, float H, float SW, float SH) {
    // The order matters: a failing assignment (negative size) ends the pass
    // and the controls after it keep their previous geometry.
    try {
        twips::setWidth(cboAddress, SW - 200);
        twips::setWidth(brwWebBrowser, SW - 200);
        twips::setHeight(brwWebBrowser, SH - (heightOf(picAddress) + topOf(picAddress)) - 700);
        twips::setTop(Command1, H - 1400);
        twips::setTop(Command2, H - 1000);
        twips::setTop(Command3, H - 1400);
        twips::setTop(Command4, H - 800);
        twips::setTop(Check1, H - 800);
        twips::setTop(Label2, H - 1300);
        twips::setTop(Label3, H - 1300);
        twips::setTop(Label4, H - 1300);
        twips::setTop(Label5, H - 1500);
        twips::setTop(Label6, H - 1650);
        twips::setTop(Label7, H - 600);
        twips::setTop(Combo1, heightOf(Label6) + topOf(Label6));
        twips::setTop(Label8, H - 1650);
        twips::setTop(Text1, heightOf(Label6) + topOf(Label6));
        twips::setTop(Label9, heightOf(Label9) + topOf(Text1) + 100);
        twips::setTop(Combo2, heightOf(Text1) + topOf(Text1) + 300);
        twips::setTop(Option1, topOf(Text1) + 20);
        twips::setTop(Option2, topOf(Combo2) + 60);
        twips::setTop(Label10, topOf(Label8));
        twips::setHeight(Frame1, H);
        twips::setWidth(Frame1, W);
        twips::setWidth(List1, widthOf(Frame1) - 500);
        twips::setHeight(List1, heightOf(Frame1) - 2000);
        twips::setTop(Command5, heightOf(Frame1) - heightOf(Command5) - 1000);
        twips::setTop(Command6, heightOf(Frame1) - heightOf(Command6) - 1000);
        twips::setTop(Command7, topOf(Command5));
        twips::setTop(Command8, topOf(Command5));
        twips::setTop(Command9, topOf(Command5));
        twips::setTop(Text2, topOf(Command8) + 50);
        twips::setWidth(Text2, widthOf(List1) - 7000);
    } catch (const std::exception& e) {
        qCWarning(lcWindow).noquote() << "The list editor's layout stopped part way:" << e.what();
    }
}
