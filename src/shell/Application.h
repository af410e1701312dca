#pragma once
// The application object: owns the editor state, the host services and the six windows, created
// in the fixed order MainWindow, TitleWindow, MapChipWindow, StartUpWindow, MapWindow,
// StampWindow. Windows reach the state and each other through it; there are no globals, so a
// test builds a fresh one with scripted dialogs and drives it.

#include "core/ChipRenderer.h"
#include "core/EditorState.h"
#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"

#include <QString>

#include <memory>

namespace tilora {

class TMainWindow;
class TTitleWindow;
class TMapChipWindow;
class TStartUpWindow;
class TMapWindow;
class TStampWindow;

inline const QString ApplicationTitle = QStringLiteral("Tilora ForWIndows");
// The caption of the boxes that refuse a file name, a sheet or a save.
inline const QString CautionCaption = QStringLiteral("注意");

class Application {
  public:
    explicit Application(Dialogs& dialogs,
                         ScreenMetrics screen = ScreenMetrics::fromPrimaryScreen());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the main window (what the message loop's start does).
    void start();

    EditorState State;
    Dialogs& dialogs;
    ScreenMetrics Screen;
    // Draws map cells from the chip sheet held by MapChipWindow's Image1.
    ChipRenderer Renderer;

    // Created in this order; each is assigned before the next one's constructor runs.
    std::unique_ptr<TMainWindow> MainWindow;
    std::unique_ptr<TTitleWindow> TitleWindow;
    std::unique_ptr<TMapChipWindow> MapChipWindow;
    std::unique_ptr<TStartUpWindow> StartUpWindow;
    std::unique_ptr<TMapWindow> MapWindow;
    std::unique_ptr<TStampWindow> StampWindow;
};

// Shows an error raised inside a handler (an unreadable bitmap, a failed save) in a box captioned
// with the application title.
void showError(Application& app, QWidget* owner, const QString& message);

} // namespace tilora
