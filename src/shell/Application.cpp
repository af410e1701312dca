#include "shell/Application.h"

#include "mapview/TMapWindow.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include "shell/TMainWindow.h"
#include "shell/TTitleWindow.h"
#include "stamps/TStampWindow.h"

namespace tilora {

Application::Application(Dialogs& d, ScreenMetrics screen) : dialogs(d), Screen(screen) {
    // Each window may refer to the ones created before it, never to later ones.
    MainWindow = std::make_unique<TMainWindow>(*this);
    TitleWindow = std::make_unique<TTitleWindow>(*this);
    MapChipWindow = std::make_unique<TMapChipWindow>(*this);
    StartUpWindow = std::make_unique<TStartUpWindow>(*this);
    MapWindow = std::make_unique<TMapWindow>(*this);
    StampWindow = std::make_unique<TStampWindow>(*this);
}

Application::~Application() {
    // The renderer borrows the palette's sheet; forget it before the windows go.
    Renderer.setSheet(nullptr);
    StampWindow.reset();
    MapWindow.reset();
    StartUpWindow.reset();
    MapChipWindow.reset();
    TitleWindow.reset();
    MainWindow.reset();
}

void Application::start() {
    MainWindow->show();
}

void showError(Application& app, QWidget* owner, const QString& message) {
    app.dialogs.messageBox(owner, message, ApplicationTitle, MessageButtons::Ok);
}

} // namespace tilora
