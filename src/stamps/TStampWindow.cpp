#include "stamps/TStampWindow.h"

#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/Application.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace tilora {

TStampWindow::TStampWindow(Application& app) : QWidget(nullptr), app_(app) {
    Image1 = new PictureWidget(this);
    Image1->setBitmap(Bitmap(ViewPixels, ViewPixels, 0xFFFFFFFFu));
    Shape1 = new ShapeWidget(ShapeWidget::Shape::RoundSquare, 2, this);
    Image2 = new PictureWidget(this);
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setRange(0, StampBankCount - 1);
    Label2 = new QLabel(this);
    Label1 = new QLabel(this);
    GroupBox1 = new QGroupBox(this);
    RadioButton1 = new QRadioButton(GroupBox1);
    RadioButton2 = new QRadioButton(GroupBox1);
    GroupBox2 = new QGroupBox(this);
    UpShift = new QPushButton(this);
    LeftShift = new QPushButton(GroupBox2);
    RightShift = new QPushButton(GroupBox2);
    DownShift = new QPushButton(GroupBox2);
    Button2 = new QPushButton(GroupBox2);
    Button3 = new QPushButton(GroupBox2);
    Button1 = new QPushButton(this);
}

int TStampWindow::CurrentBank() const { return TrackBar1->value(); }
void TStampWindow::DrawStampBank() {}
void TStampWindow::Image1MouseMove(int, int) {}
void TStampWindow::Shape1MouseDown(Qt::MouseButton) {}
void TStampWindow::RadioButton1Click() {}
void TStampWindow::RadioButton2Click() {}
void TStampWindow::Button1Click() {}
void TStampWindow::UpShiftClick() {}
void TStampWindow::DownShiftClick() {}
void TStampWindow::LeftShiftClick() {}
void TStampWindow::RightShiftClick() {}
void TStampWindow::Button3Click() {}
void TStampWindow::Button2Click() {}
void TStampWindow::TrackBar1Change() {}
void TStampWindow::redrawGrid() {}

}  // namespace tilora
