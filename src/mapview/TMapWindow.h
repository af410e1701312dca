#pragma once
// The map window: a view of the map (320 x 320 as laid out, larger when the window is made
// larger by its edge), its scroll bars and the red cell cursor that shows the cell under the
// pointer; every press, move and release on the view goes, with that cell, to the active map
// tool (MapTools.h). On request a grid over the view and a status line under it
// (MapWindowView.cpp).

#include "core/CellRect.h"
#include "core/ChipBlock.h"
#include "core/Shapes.h"
#include "core/ViewSize.h"
#include "core/WindowLayout.h"
#include "mapview/MapTool.h"
#include "platform/Layout.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QLabel;
class QScrollBar;

namespace tilora {

class Bitmap;
class EditOverlay;
class MapViewPort;
class GridOverlay;
class MapTools;
class PictureWidget;
class ShapeWidget;

class TMapWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TMapWindow(MapViewPort& app);
    ~TMapWindow() override;

    PictureWidget* Image1 = nullptr;  // the view: a 320 x 320 bitmap, cut to the map's size
    ShapeWidget* Shape1 = nullptr;    // the cell cursor: rounded square, red pen 2
    QScrollBar* ScrollBar1 = nullptr; // vertical: left 323, top 4, 16 x 317
    QScrollBar* ScrollBar2 = nullptr; // horizontal: left 0, top 324, 321 x 17
    GridOverlay* Grid = nullptr;      // lines between cells over the view; hidden unless asked
    EditOverlay* Edits = nullptr;     // the selection's outline and the tools' previews
    QLabel* StatusLine = nullptr;     // the cell under the pointer, under the bars; hidden

    void ScrollBar1Scroll(int position);
    void ScrollBar2Scroll(int position);
    // A move with no button held; the cursor follows the pointer.
    void Image1MouseMove(int x, int y);
    // A press at pixel (x, y) of the view: the active tool acts on the cell there.
    void Image1MouseDown(Qt::MouseButton button, int x, int y,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A move with a button held, and the release: only a tool that captured the press sees them.
    void Image1MouseDrag(int x, int y, Qt::KeyboardModifiers modifiers);
    void Image1MouseUp(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers modifiers);
    void FormClose();

    // Draws every view cell into Image1's bitmap and repaints it once.
    void redrawView();
    // What was drawn into the view's bitmap shown: the picture repainted, the grid and the status
    // line brought along, and the rest of the editor told (the overview follows).
    void presentView();
    // Every view cell redrawn, then the image, the bars and the cursor laid out for the map; the
    // window is shown.
    void fitToMap(const MapViewLayout& layout);
    // Sets a bar's position from code without running the scroll handler.
    void setBarPosition(QScrollBar* bar, int position);
    // After the view is laid out anew: the hover cell and the cursor go to the cell under the
    // pointer when the pointer is over the view, else to (0, 0).
    void placeCursorAtPointer();

    // The view's size: the room the window gives it, 320 x 320 until the user makes the window
    // larger; the view shows the whole cells that fit.
    const ViewSize& viewSize() const { return view_; }
    // The client size that holds the view, its bars and the status line when shown; the full
    // refresh lays the window out at it (336 x 337 as laid out).
    QSize clientSizeForView() const;
    void fitClientToView();
    // The view's origin shown anew (the bars' positions, every cell), after it moved from outside
    // the window (the overview).
    void showOrigin();
    void setGridShown(bool shown);
    void setStatusLineShown(bool shown);
    bool statusLineShown() const { return statusLineShown_; }

    // The view's tools: which one is active, arming and disarming.
    MapTools& tools() { return *tools_; }
    // Whether the one-shot fill is armed.
    bool fillArmed() const;

    // The editing tools' marks over the view (MapEditPreview.cpp), never written into the map:
    // the selection's dashed outline as the state has it, a block see-through with its top-left
    // cell on `at` (its transparent cells clear), the cells of a shape in the current chip.
    void showSelection();
    void showBlockPreview(const ChipBlock& block, Anchor at);
    void showSpansPreview(const std::vector<RowSpan>& spans);
    void clearPreview();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // A resize by the user: the view grows or shrinks in whole cells (MapWindowView.cpp).
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Over the view: rows per notch (columns with Shift) through the bars, Ctrl zooms.
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Hover cell and cursor for view pixel (x, y); a pixel beyond the view anchors its last
    // column or row, never a cell the user cannot see.
    void trackCell(int x, int y);
    // One zoom step per notch, in (notches > 0) or out, as far as the limits allow; the cell
    // under view pixel `at` stays under it.
    void zoomByWheel(int notches, QPoint at);
    // The bars and the status line placed beside a view of the given pixel size, and the
    // window's size limits set for it.
    void placeAroundView(int viewWidth, int viewHeight);
    // Never smaller than the laid-out view, never larger than the screen; the window system is
    // asked to size it in whole cells.
    void setSizeLimits();
    // What the client holds besides the view: the bars, and the status line when shown.
    QSize chromeSize() const;
    ViewSize roomOnScreen() const;
    void updateStatusLine();
    // The map's cells the view shows.
    CellRect visibleCells() const;
    // A chip drawn into a preview's picture, its pixels opaque whatever the sheet's alpha.
    void drawOpaqueChip(Bitmap& picture, int x, int y, std::int32_t chip);
    static QImage previewImage(const Bitmap& picture);
    // A pointer event over the view for the tools: the cell under the cursor.
    ToolEvent toolEvent(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const;

    MapViewPort& app_;
    std::unique_ptr<MapTools> tools_;
    ViewSize view_;
    // The client size last asked for from here: a resize to any other size is the user's.
    QSize requestedClient_;
    bool statusLineShown_ = false;
    // Wheel turns smaller than a notch (fine-grained wheels and touchpads) add up here.
    WheelNotches wheel_;
};

} // namespace tilora
