#include "shell/Application.h"
#include "shell/TMainWindow.h"

namespace tilora {

void TMainWindow::PenButtonClick(int) {}
void TMainWindow::StampButtonClick() {}
void TMainWindow::SEButtonClick() {}
void TMainWindow::ZoomInButtonClick() {}
void TMainWindow::ZoomOutButtonClick() {}
void TMainWindow::ToggleChipWindow() {}
void TMainWindow::ToggleMapWindow() {}
void TMainWindow::Help1Click() {}
void TMainWindow::About1Click() {}

}  // namespace tilora
