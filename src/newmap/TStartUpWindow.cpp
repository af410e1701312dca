#include "newmap/TStartUpWindow.h"

#include "platform/PictureWidget.h"
#include "shell/Application.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tilora {

TStartUpWindow::TStartUpWindow(Application& app) : QWidget(nullptr), app_(app) {
    Label5 = new QLabel(this);
    GroupBox1 = new QGroupBox(this);
    Label1 = new QLabel(GroupBox1);
    Label3 = new QLabel(GroupBox1);
    Edit1 = new QLineEdit(QStringLiteral("10"), GroupBox1);
    GroupBox2 = new QGroupBox(this);
    Label2 = new QLabel(GroupBox2);
    Label4 = new QLabel(GroupBox2);
    Edit2 = new QLineEdit(QStringLiteral("10"), GroupBox2);
    GroupBox5 = new QGroupBox(this);
    Button2 = new QPushButton(GroupBox5);
    GroupBox3 = new QGroupBox(this);
    Image1 = new PictureWidget(GroupBox3);
    Button1 = new QPushButton(this);
    Button3 = new QPushButton(this);
}

void TStartUpWindow::Edit1Exit() {}
void TStartUpWindow::Edit2Exit() {}
void TStartUpWindow::Button2Click() {}
void TStartUpWindow::Button1Click() {}
void TStartUpWindow::Button3Click() {}
void TStartUpWindow::FormClose() {}
void TStartUpWindow::showDialog() { show(); }
void TStartUpWindow::closeEvent(QCloseEvent* event) { QWidget::closeEvent(event); }
bool TStartUpWindow::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

}  // namespace tilora
