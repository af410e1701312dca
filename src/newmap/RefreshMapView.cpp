#include "newmap/TStartUpWindow.h"

#include "core/Painting.h"

#include "mapview/TMapWindow.h"
#include "palette/TMapChipWindow.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>

namespace tilora {

namespace {

constexpr int DefaultZoomStep = 6; // the zoom step of cell size 32

// MapWindow's tool-window frame and the other windows come from the window system, so the
// outer sizes are read from the frames, not assumed.
int outerWidth(const QWidget& w) {
    return w.frameGeometry().width();
}
int outerHeight(const QWidget& w) {
    return w.frameGeometry().height();
}

void arrangeWindows(Application& app) {
    TMainWindow& main = *app.MainWindow;
    TMapWindow& map = *app.MapWindow;
    main.move(0, 0);
    const int underMain = outerHeight(main);
    map.move(0, underMain);
    // The bars themselves stay where the form puts them; only the client area is set.
    map.resize(ViewPixels + map.ScrollBar1->width(), ViewPixels + map.ScrollBar2->height());
    app.MapChipWindow->move(map.x() + outerWidth(map), underMain);
}

void enableMapCommands(TMainWindow& main) {
    main.MapChipWindow1->setChecked(true);
    main.MapWindow1->setChecked(true);
    for (QAction* item : {main.MapChipWindow1, main.MapWindow1, main.NameSave, main.CloseFile}) {
        item->setEnabled(true);
    }
    // PenButton1, Save and OverWriteSaveButton keep their states.
    for (QPushButton* b : {main.NameSaveButton, main.MapShowButton, main.ChipShowButton,
                           main.ZoomInButton, main.ZoomOutButton, main.PenButton2, main.PenButton3,
                           main.PenButton4, main.StampButton, main.SEButton}) {
        b->setEnabled(true);
    }
}

} // namespace

void RefreshMapView(Application& app) {
    EditorState& s = app.State;
    TMapWindow& map = *app.MapWindow;

    // A pending zoom pick keeps the origin it is about to be applied at, as far as the map
    // allows: after a new map or a load the old origin may lie beyond the new map's edge, and a
    // view out there would show cells that are not part of the map.
    if (s.ZoomPending == 0) {
        s.ViewCol = 0;
        s.ViewRow = 0;
        s.ZoomStep = DefaultZoomStep;
    } else {
        keepViewInsideMap(s);
    }
    s.SheetColumns = app.MapChipWindow->sheet().width() / ChipPixels;

    arrangeWindows(app);
    app.StartUpWindow->hide();
    enableMapCommands(*app.MainWindow);

    map.redrawView();
    map.Image1->hide();
    map.Image1->show();

    // The image is cut to the map where the map is smaller than the view; the bitmap behind it
    // stays 320 x 320.
    map.Image1->setGeometry(0, 0, ViewPixels, ViewPixels);
    map.ScrollBar1->hide();
    map.ScrollBar2->hide();
    const int mapPixelsWide = s.CellSize * s.MapWidth;
    const int mapPixelsHigh = s.CellSize * s.MapHeight;
    if (mapPixelsWide > ViewPixels) {
        map.ScrollBar2->setMaximum(mapPixelsWide - ViewPixels);
        map.ScrollBar2->show();
        map.setBarPosition(map.ScrollBar2, 0);
    } else {
        map.Image1->resize(mapPixelsWide, map.Image1->height());
    }
    if (mapPixelsHigh > ViewPixels) {
        map.ScrollBar1->setMaximum(mapPixelsHigh - ViewPixels);
        map.ScrollBar1->show();
        map.setBarPosition(map.ScrollBar1, 0);
    } else {
        map.Image1->resize(map.Image1->width(), mapPixelsHigh);
    }
    map.show();

    for (QScrollBar* bar : {map.ScrollBar1, map.ScrollBar2}) {
        bar->setSingleStep(s.CellSize);
        bar->setPageStep(2 * s.CellSize);
    }
    // Never smaller than 5 x 5, as after a zoom pick, so that it stays visible at the small cell
    // sizes.
    const int frame = cursorFrameSize(s.CellSize);
    map.Shape1->resize(frame, frame);
    // The hover cell and the cursor agree with the pointer from the start: a click that follows
    // without a move acts on the cell it shows.
    map.placeCursorAtPointer();

    // Positions in pixels; set from code, so the scroll handlers do not run.
    map.setBarPosition(map.ScrollBar1, s.ViewRow * s.CellSize);
    map.setBarPosition(map.ScrollBar2, s.ViewCol * s.CellSize);
}

} // namespace tilora
