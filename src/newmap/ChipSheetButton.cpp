// The new-map dialog's chip sheet button (Button2 "参照"): the sheet file chosen, checked, loaded
// and laid out in the palette.

#include "newmap/LayoutChipWindow.h"
#include "newmap/SheetChecks.h"
#include "newmap/TStartUpWindow.h"

#include "platform/EditorContext.h"
#include "platform/PictureWidget.h"

#include <optional>

namespace tilora {

void TStartUpWindow::Button2Click() {
    // Every check and the load come before the first change, so a sheet that cannot be used
    // leaves the current one, the palette, the preview and Button1 exactly as they were.
    std::optional<ChosenSheet> chosen = chooseSheetFile(app_, this);
    if (!chosen) return;

    EditorState& s = app_.State;
    s.SheetScrollY = 0;
    s.SheetScrollX = 0;
    app_.setChipWindowShown(false);
    // Only tried: the palette shows it for choosing the initial chip, but the map names it only
    // once "決定" is pressed; abandoning the dialog puts the sheet in use back.
    app_.trySheet(std::move(chosen->sheet), chosen->name);
    LayoutChipWindow(app_);

    // The preview shows chip 0, the sheet's top-left square.
    const Rect chip0{0, 0, ChipPixels, ChipPixels};
    stretchBlt(Image1->bitmap(), chip0, app_.sheet(), chip0);
    Image1->refresh();
    Image1->show();

    app_.resetChipFrame();
    app_.chooseChip(0);
    app_.setChipWindowShown(true);
}

} // namespace tilora
