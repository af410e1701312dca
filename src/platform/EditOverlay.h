#pragma once
// What the editing tools show over the map view without writing it into the map: a see-through
// preview (a block to paste or move, a rectangle or line being dragged) and the selection's
// dashed outline. Like the grid it is only drawn: every press and move goes to the picture
// beneath.

#include <QImage>
#include <QRect>
#include <QWidget>

namespace tilora {

class EditOverlay : public QWidget {
    Q_OBJECT
  public:
    explicit EditOverlay(QWidget* parent = nullptr);

    // The outline's rectangle in the view's pixels (null: no outline). Repaints on a change.
    void setOutline(const QRect& pixels);
    QRect outline() const { return outline_; }
    // The preview, drawn see-through with its top-left pixel at `at` (a null image: none).
    void setPreview(QImage image, QPoint at);
    void clearPreview();
    bool hasPreview() const { return !preview_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect outline_;
    QImage preview_;
    QPoint previewAt_;
};

} // namespace tilora
