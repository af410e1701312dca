#include "shell/Application.h"
#include "shell/TMainWindow.h"

namespace tilora {

bool TMainWindow::AskToSave(int) { return false; }
bool TMainWindow::SaveMapAs() { return false; }
bool TMainWindow::SaveMap() { return false; }
bool TMainWindow::LoadMap() { return false; }
void TMainWindow::NewButtonClick() {}
void TMainWindow::OpenButtonClick() {}
void TMainWindow::LoadFileClick() {}
void TMainWindow::SaveClick() {}
void TMainWindow::NameSaveButtonClick() {}
void TMainWindow::CloseFileClick() {}
void TMainWindow::ExitAppClick() {}
bool TMainWindow::FormCloseQuery() { return true; }

}  // namespace tilora
