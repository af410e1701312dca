#pragma once
// The overview window ("全体図"): the whole map drawn small with the map view's rectangle over it.
// A click or a drag on it moves the view there, centred on the pointer as far as the map allows.
// It follows the map: the shell hands it what changed after every change the map view shows, and
// it repaints only the pixels that changed and the rectangle's old and new places.

#include "core/Overview.h"

#include <QImage>
#include <QWidget>

namespace tilora {

struct EditorState;

// What the overview window asks of the rest of the editor.
class OverviewHost {
  public:
    virtual ~OverviewHost() = default;
    // The map view moved so that map cell (row, col) is at its centre.
    virtual void centreMapViewOn(int row, int col) = 0;
    // The window's close box: it is hidden and its check mark goes.
    virtual void overviewClosed() = 0;
};

class TOverviewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TOverviewWindow(OverviewHost& host);

    // The sheet's pixels changed: the chips' colours are taken again at the next follow().
    void sheetChanged() { coloursStale_ = true; }
    // Brings the picture up to date with the map: the cells in `touched` (grid rows and columns)
    // drawn again, everything when the map's size, the sheet or its numbering changed; and the
    // view's rectangle moved. Only what changed is repainted.
    void follow(const EditorState& state, const Bitmap& sheet, const CellArea& touched,
                const ViewSize& view);

    const Overview& overview() const { return overview_; }
    // Where the picture and the view's rectangle lie in the window (its client area).
    QRect pictureRect() const;
    QRect viewFrame() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The view centred on the map cell under window point `at`.
    void moveViewTo(QPoint at);
    // The picture's pixels wrapped without a copy (again after a rebuild replaced them).
    void wrapPicture();

    OverviewHost& host_;
    Overview overview_;
    QImage image_;
    bool coloursStale_ = true;
    int coloursColumns_ = 0;
    QRect frame_; // the view's rectangle as last drawn, in picture pixels
};

} // namespace tilora
