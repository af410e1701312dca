#include "stamps/TStampWindow.h"

#include "core/Geometry.h"
#include "core/StampBanks.h"
#include "platform/Fonts.h"
#include "platform/PictureWidget.h"
#include "platform/ShapeWidget.h"
#include "platform/UiText.h"
#include "stamps/StampEditorPort.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

namespace tilora {

namespace {

// The window's outer size is 429 x 383 with the sizeable window frame, which adds 8 pixels across
// (a 4-pixel border each side) and 27 down (the caption bar and the borders); Qt sizes the client.
constexpr int OuterWidth = 429;
constexpr int OuterHeight = 383;
constexpr int SizeableFrameWidth = 8;
constexpr int SizeableFrameHeight = 27;
constexpr int WindowLeft = 294;
constexpr int WindowTop = 284;

constexpr int GridCell = ChipPixels; // the grid shows each stamp cell at the chip's own size
constexpr Pixel White = 0xFFFFFFFFu;
constexpr Pixel Blue = 0xFF0000FFu;
const QColor Silver(192, 192, 192);

const Qt::CursorShape DragPointer = Qt::DragMoveCursor;
constexpr int ThumbLength = 20; // the bank slider's thumb, in pixels along the slider

enum class Font { Window, Bold13, Vertical13 };

// A component of the window by its member name, whatever its widget class.
using Component = QWidget* (*)(TStampWindow&);
template <auto Member> QWidget* component(TStampWindow& w) {
    return w.*Member;
}

struct ComponentLayout {
    Component widget;
    int left, top, width, height;
    const char* caption; // nullptr: none
    const char* hint;    // nullptr: none
    Font font;
};

// Positions are relative to the window's client area, or to the group box a control sits in
// (RadioButton1/2 in GroupBox1; LeftShift, RightShift, DownShift, Button2, Button3 in GroupBox2).
const ComponentLayout kComponents[] = {
    {component<&TStampWindow::Image1>, 0, 0, 320, 320, nullptr, nullptr, Font::Window},
    {component<&TStampWindow::Shape1>, 0, 0, 32, 32, nullptr, nullptr, Font::Window},
    {component<&TStampWindow::Image2>, 208, 272, 41, 41, nullptr, nullptr, Font::Window},
    {component<&TStampWindow::Label2>, 336, 328, 43, 13, QT_TRANSLATE_NOOP("tilora", "バンク"),
     nullptr, Font::Bold13},
    {component<&TStampWindow::Label1>, 384, 328, 15, 13, "１", nullptr, Font::Bold13},
    {component<&TStampWindow::TrackBar1>, 0, 320, 329, 29, nullptr,
     QT_TRANSLATE_NOOP("tilora", "５０バンクから　使用/編集する番号を選択"), Font::Window},
    {component<&TStampWindow::GroupBox1>, 320, 56, 97, 73,
     QT_TRANSLATE_NOOP("tilora", "チップ属性"), nullptr, Font::Window},
    {component<&TStampWindow::RadioButton1>, 8, 16, 49, 25, QT_TRANSLATE_NOOP("tilora", "通常"),
     QT_TRANSLATE_NOOP("tilora", "チップウィンドウで選択されたチップを使用"), Font::Window},
    {component<&TStampWindow::RadioButton2>, 8, 40, 49, 25, QT_TRANSLATE_NOOP("tilora", "透明"),
     QT_TRANSLATE_NOOP("tilora", "透明属性のチップを使用"), Font::Window},
    {component<&TStampWindow::GroupBox2>, 328, 144, 89, 129,
     QT_TRANSLATE_NOOP("tilora", "コントロール"), nullptr, Font::Window},
    {component<&TStampWindow::LeftShift>, 8, 40, 25, 25, "←",
     QT_TRANSLATE_NOOP("tilora", "左方向シフト"), Font::Window},
    {component<&TStampWindow::RightShift>, 56, 40, 25, 25, "→",
     QT_TRANSLATE_NOOP("tilora", "右方向シフト"), Font::Window},
    {component<&TStampWindow::DownShift>, 32, 64, 25, 25, "↓",
     QT_TRANSLATE_NOOP("tilora", "下方向シフト"), Font::Window},
    {component<&TStampWindow::Button2>, 8, 96, 33, 25, "⇔", QT_TRANSLATE_NOOP("tilora", "垂直反転"),
     Font::Vertical13},
    {component<&TStampWindow::Button3>, 48, 96, 33, 25, "⇔",
     QT_TRANSLATE_NOOP("tilora", "水平反転"), Font::Bold13},
    // A child of the window, not of GroupBox2, at (32, 16) of the group box's area, so the four
    // arrows form a cross.
    {component<&TStampWindow::UpShift>, 360, 160, 25, 25, "↑",
     QT_TRANSLATE_NOOP("tilora", "上方向シフト"), Font::Window},
    {component<&TStampWindow::Button1>, 328, 296, 89, 25, QT_TRANSLATE_NOOP("tilora", "クリア"),
     QT_TRANSLATE_NOOP("tilora", "現在バンクを現在チップでクリア"), Font::Window},
};

// Keyboard focus order; the group boxes pass it on to their controls.
const Component kTabOrder[] = {
    component<&TStampWindow::TrackBar1>,    component<&TStampWindow::RadioButton1>,
    component<&TStampWindow::RadioButton2>, component<&TStampWindow::Button1>,
    component<&TStampWindow::UpShift>,      component<&TStampWindow::LeftShift>,
    component<&TStampWindow::RightShift>,   component<&TStampWindow::DownShift>,
    component<&TStampWindow::Button2>,      component<&TStampWindow::Button3>,
};

// The transparent-cell picture: white, a one-pixel blue border and a blue diagonal from the
// top-right corner to the bottom-left corner.
Bitmap transparentCellPicture() {
    Bitmap picture(ChipPixels, ChipPixels, White);
    const int last = ChipPixels - 1;
    for (int y = 0; y < ChipPixels; ++y) {
        for (int x = 0; x < ChipPixels; ++x) {
            if (x == 0 || x == last || y == 0 || y == last || x + y == last) {
                picture.setPixel(x, y, Blue);
            }
        }
    }
    return picture;
}

// The caption as vertical writing sets it: the glyph turned a quarter turn clockwise, so the
// left-right arrow "⇔" reads as an up-down arrow.
QIcon verticalCaption(const QString& text, const QFont& font, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    painter.rotate(90);
    painter.translate(-size.height() / 2.0, -size.width() / 2.0);
    painter.drawText(QRectF(0, 0, size.height(), size.width()), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

// The slider drawn in the application's style, with a thumb of a fixed length along the groove.
class ThumbLengthStyle : public QProxyStyle {
  public:
    ThumbLengthStyle(const QString& baseStyle, int length)
        : QProxyStyle(baseStyle), length_(length) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SliderLength) return length_;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

  private:
    int length_;
};

void setThumbLength(QSlider* slider, int length) {
    auto* style = new ThumbLengthStyle(slider->style()->name(), length);
    style->setParent(slider); // lives as long as the slider that uses it
    slider->setStyle(style);
}

void blackOnWhite(QLabel* label) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

} // namespace

TStampWindow::TStampWindow(StampEditorPort& app) : QWidget(nullptr), app_(app) {
    setWindowTitle(uiText(QT_TRANSLATE_NOOP("tilora", "スタンプエディター")));
    setFont(layoutFont(Gothic, 12));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, Silver);
    silver.setColor(QPalette::WindowText, Qt::black);
    setPalette(silver);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    move(WindowLeft, WindowTop);
    resize(OuterWidth - SizeableFrameWidth, OuterHeight - SizeableFrameHeight);

    Image1 = new PictureWidget(this);
    Image1->setBitmap(Bitmap(ViewPixels, ViewPixels, White));
    Shape1 = new ShapeWidget(ShapeWidget::Shape::RoundSquare, 2, this);
    Image2 = new PictureWidget(this);
    Image2->setBitmap(transparentCellPicture());
    Image2->hide();

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setRange(0, StampBankCount - 1);
    TrackBar1->setValue(0);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    setThumbLength(TrackBar1, ThumbLength);
    Label2 = new QLabel(this);
    Label1 = new QLabel(this);
    GroupBox1 = new QGroupBox(this);
    RadioButton1 = new QRadioButton(GroupBox1);
    RadioButton2 = new QRadioButton(GroupBox1);
    GroupBox2 = new QGroupBox(this);
    UpShift = new QPushButton(this);
    LeftShift = new QPushButton(GroupBox2);
    RightShift = new QPushButton(GroupBox2);
    DownShift = new QPushButton(GroupBox2);
    Button2 = new QPushButton(GroupBox2);
    Button3 = new QPushButton(GroupBox2);
    Button1 = new QPushButton(this);
    applyLayout();
    // The frame is drawn over the grid; the grid beneath takes the presses and moves.
    Shape1->raise();

    RadioButton1->setChecked(true);
    connectEvents();
}

void TStampWindow::applyLayout() {
    for (const ComponentLayout& c : kComponents) {
        QWidget* w = c.widget(*this);
        w->setGeometry(c.left, c.top, c.width, c.height);
        if (c.hint) {
            w->setToolTip(uiText(c.hint));
            // Hints show even while another of the editor's windows is the active one.
            w->setAttribute(Qt::WA_AlwaysShowToolTips);
        }
        const QString caption = uiText(c.caption);
        switch (c.font) {
        case Font::Window:
            break;
        case Font::Bold13:
            w->setFont(layoutFont(Gothic, 13, true));
            break;
        case Font::Vertical13:
            w->setFont(layoutFont(Gothic, 13));
            break;
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(caption);
            blackOnWhite(label);
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            box->setTitle(caption);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (c.font == Font::Vertical13) {
                // Qt has no vertical-writing forms: draw the turned glyph as the button's picture
                // and keep the caption for accessibility.
                const QSize glyph(16, 16);
                button->setIcon(verticalCaption(caption, w->font(), glyph));
                button->setIconSize(glyph);
                button->setAccessibleName(caption);
            } else {
                button->setText(caption);
            }
        }
    }
    for (std::size_t k = 1; k < std::size(kTabOrder); ++k) {
        setTabOrder(kTabOrder[k - 1](*this), kTabOrder[k](*this));
    }
}

void TStampWindow::connectEvents() {
    connect(Image1, &PictureWidget::mouseMoved, this,
            [this](int x, int y) { Image1MouseMove(x, y); });
    connect(Image1, &PictureWidget::mousePressed, this,
            [this](Qt::MouseButton button, int x, int y) { Image1MouseDown(button, x, y); });
    // Choosing a radio button by click or by the arrow keys both check it.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RadioButton2Click();
    });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(UpShift, &QPushButton::clicked, this, [this] { UpShiftClick(); });
    connect(DownShift, &QPushButton::clicked, this, [this] { DownShiftClick(); });
    connect(LeftShift, &QPushButton::clicked, this, [this] { LeftShiftClick(); });
    connect(RightShift, &QPushButton::clicked, this, [this] { RightShiftClick(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
}

int TStampWindow::CurrentBank() const {
    return TrackBar1->value();
}

void TStampWindow::DrawStampBank() {
    Label1->setText(QString::number(CurrentBank() + 1));
    redrawGrid();
}

void TStampWindow::redrawGrid() {
    const EditorState& s = app_.State;
    Bitmap& grid = Image1->bitmap();
    const int bank = CurrentBank();
    for (int r = 0; r < StampSide; ++r) {
        for (int c = 0; c < StampSide; ++c) {
            const std::int32_t v = stampCell(s.StampBanks, bank, r, c);
            if (v == TransparentChip) {
                stretchBlt(grid, Rect{c * GridCell, r * GridCell, GridCell, GridCell},
                           Image2->bitmap(), Rect{0, 0, ChipPixels, ChipPixels});
            } else {
                // Chips the sheet does not have come out in the renderer's neutral look.
                app_.Renderer.drawChip(grid, c * GridCell, r * GridCell, GridCell, s.SheetColumns,
                                       v);
            }
        }
    }
    Image1->refresh();
}

void TStampWindow::setHoverCell() {
    stampCell(app_.State.StampBanks, CurrentBank(), StampHoverRow, StampHoverCol) =
        TransparentMode == 1 ? TransparentChip : app_.State.CurrentChip;
}

void TStampWindow::setGridPointer(Qt::CursorShape shape) {
    for (QWidget* w : std::initializer_list<QWidget*>{Image1, Shape1, Label1, Label2}) {
        w->setCursor(shape);
    }
}

void TStampWindow::trackCell(int x, int y) {
    StampHoverCol = std::clamp(pixelToCell(x, GridCell), 0, StampSide - 1);
    StampHoverRow = std::clamp(pixelToCell(y, GridCell), 0, StampSide - 1);
    Shape1->move(StampHoverCol * GridCell, StampHoverRow * GridCell);
}

void TStampWindow::Image1MouseMove(int x, int y) {
    trackCell(x, y);
    if (StampDragActive != 1) return;
    setHoverCell();
    redrawGrid();
}

void TStampWindow::Image1MouseDown(Qt::MouseButton button, int x, int y) {
    trackCell(x, y);
    if (button == Qt::LeftButton) {
        StampDragActive = 1;
        setGridPointer(DragPointer);
        setHoverCell();
        redrawGrid();
    } else if (button == Qt::RightButton) {
        StampDragActive = 0;
        setGridPointer(Qt::ArrowCursor);
        if (TransparentMode == 0) {
            app_.chooseChip(
                stampCell(app_.State.StampBanks, CurrentBank(), StampHoverRow, StampHoverCol));
        }
    }
}

void TStampWindow::RadioButton1Click() {
    TransparentMode = 0;
}
void TStampWindow::RadioButton2Click() {
    TransparentMode = 1;
}

void TStampWindow::Button1Click() {
    clearStampBank(app_.State.StampBanks, CurrentBank(),
                   TransparentMode == 1 ? TransparentChip : app_.State.CurrentChip);
    DrawStampBank();
}

void TStampWindow::UpShiftClick() {
    rotateStampUp(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::DownShiftClick() {
    rotateStampDown(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::LeftShiftClick() {
    rotateStampLeft(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::RightShiftClick() {
    rotateStampRight(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::Button3Click() {
    mirrorStampLeftRight(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::Button2Click() {
    mirrorStampTopBottom(app_.State.StampBanks, CurrentBank());
    DrawStampBank();
}

void TStampWindow::TrackBar1Change() {
    DrawStampBank();
}

} // namespace tilora
