#pragma once
// The chip palette: the chip sheet at its natural size in a viewport of at most 320 x 320, a red
// frame that follows the pointer chip by chip, and a click on the sheet that chooses the chip
// under the pointer.

#include "core/Bitmap.h"
#include "core/WindowLayout.h"
#include "platform/Layout.h"

#include <QWidget>

class QScrollBar;

namespace tilora {

class PalettePort;
class PictureWidget;
class ShapeWidget;

class TMapChipWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TMapChipWindow(PalettePort& app);

    PictureWidget* Image2 = nullptr;  // the still copy of the viewport, 553 x 545
    PictureWidget* Image1 = nullptr;  // the whole chip sheet
    ShapeWidget* Shape1 = nullptr;    // red rectangle, pen 3
    QScrollBar* ScrollBar1 = nullptr; // vertical, 16 wide
    QScrollBar* ScrollBar2 = nullptr; // horizontal, 17 high

    // The chip sheet it shows (the document's, held by the application).
    const Bitmap& sheet() const;
    // Shows a newly loaded sheet in Image1.
    void showSheet(const Bitmap& sheet);
    // Sized for the sheet, bars at 0, and shown (unless showWindow is false: then it keeps its
    // visibility). A bar the sheet does not need is hidden with the range 0..0, so nothing can
    // move it.
    void fitToSheet(const ChipWindowLayout& layout, bool showWindow = true);

    void Image1MouseMove(int x, int y);
    // Scroll handlers get the proposed position and return the position to take.
    int ScrollBar1Scroll(int position);
    int ScrollBar2Scroll(int position);
    void ScrollBar1Change();
    void ScrollBar2Change();
    void FormMouseMove();
    void Image2MouseMove();
    // A press at sheet pixel (x, y) of Image1: frames the chip there and chooses it.
    void Image1MouseDown(Qt::MouseButton button, int x, int y);
    // A press on the still copy at (x, y) of the viewport: the sheet comes back and the press
    // acts on the chip shown there.
    void Image2MouseDown(Qt::MouseButton button, int x, int y);
    void FormClose();

    // Sets a bar's position from code without running the user's scroll handler.
    void setBarPosition(QScrollBar* bar, int position);

    // Sets the client size and keeps the user from resizing the window: the border is fixed.
    // Size the window only through this (a plain resize() is held at the last fixed size).
    void setClientSize(int width, int height);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Over the sheet: whole chips per notch through the bars (Shift: sideways).
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Chooses the chip under the frame as the current chip and shows it in the new-map preview.
    void chooseFramedChip();
    // The still copy: the viewport's part of the sheet into Image2, then Image1 hidden.
    void showStillCopy();

    PalettePort& app_;
    WheelNotches wheel_;
};

} // namespace tilora
