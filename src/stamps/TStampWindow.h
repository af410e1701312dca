#pragma once
// The stamp editor: one of the fifty 10 x 10 stamp banks as a 320 x 320 grid, with the bank
// slider, normal/transparent choice, clear, rotations and mirrors.

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace tilora {

class StampEditorPort;
class PictureWidget;
class ShapeWidget;

class TStampWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TStampWindow(StampEditorPort& app);

    PictureWidget* Image1 = nullptr;      // the 10 x 10 grid, 320 x 320
    ShapeWidget* Shape1 = nullptr;        // rounded frame, red pen 2, 32 x 32
    PictureWidget* Image2 = nullptr;      // hidden; the transparent-cell picture (32 x 32)
    QSlider* TrackBar1 = nullptr;         // bank 0..49
    QLabel* Label2 = nullptr;             // "バンク"
    QLabel* Label1 = nullptr;             // the bank number
    QGroupBox* GroupBox1 = nullptr;       // "チップ属性"
    QRadioButton* RadioButton1 = nullptr; // "通常"
    QRadioButton* RadioButton2 = nullptr; // "透明"
    QGroupBox* GroupBox2 = nullptr;       // "コントロール"
    QPushButton* UpShift = nullptr;
    QPushButton* LeftShift = nullptr;
    QPushButton* RightShift = nullptr;
    QPushButton* DownShift = nullptr;
    QPushButton* Button2 = nullptr; // top-bottom mirror
    QPushButton* Button3 = nullptr; // left-right mirror
    QPushButton* Button1 = nullptr; // "クリア"

    int TransparentMode = 0;
    int StampDragActive = 0;
    int StampHoverCol = 0;
    int StampHoverRow = 0;

    // The bank in use: the slider's position.
    int CurrentBank() const;

    void DrawStampBank();
    void Image1MouseMove(int x, int y);
    // A press at grid pixel (x, y): acts on the cell there, which the frame then shows.
    void Image1MouseDown(Qt::MouseButton button, int x, int y);
    void RadioButton1Click();
    void RadioButton2Click();
    void Button1Click();
    void UpShiftClick();
    void DownShiftClick();
    void LeftShiftClick();
    void RightShiftClick();
    void Button3Click();
    void Button2Click();
    void TrackBar1Change();

  private:
    // The hover cell and the frame for grid pixel (x, y), held to the grid's edge cells.
    void trackCell(int x, int y);
    void redrawGrid();
    void applyLayout();
    void connectEvents();
    // Sets the framed cell of the bank in use: -1 in transparent mode, otherwise CurrentChip.
    void setHoverCell();
    // The pointer shape over the grid, the frame and the labels.
    void setGridPointer(Qt::CursorShape shape);

    StampEditorPort& app_;
};

} // namespace tilora
