#include "shell/ButtonPictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tilora {

namespace {

constexpr int Glyph = 16;

const QColor Ink(0, 0, 0);
const QColor Paper(255, 255, 255);
const QColor Silver(192, 192, 192);
const QColor Grey(128, 128, 128);
const QColor Navy(0, 0, 128);
const QColor Folder(255, 210, 60);
const QColor FolderShade(214, 160, 0);

// Pixel-exact drawing on a transparent glyph: rectangles are given by their inclusive corners,
// as one would count them on a 16 x 16 grid.
struct Canvas {
    QImage image;
    QPainter p;

    explicit Canvas(int size = Glyph) : image(size, size, QImage::Format_ARGB32_Premultiplied) {
        image.fill(Qt::transparent);
        p.begin(&image);
    }
    void fill(int x0, int y0, int x1, int y1, const QColor& c) {
        p.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, c);
    }
    void frame(int x0, int y0, int x1, int y1, const QColor& c) {
        fill(x0, y0, x1, y0, c);
        fill(x0, y1, x1, y1, c);
        fill(x0, y0, x0, y1, c);
        fill(x1, y0, x1, y1, c);
    }
    void box(int x0, int y0, int x1, int y1, const QColor& inside, const QColor& edge = Ink) {
        fill(x0, y0, x1, y1, inside);
        frame(x0, y0, x1, y1, edge);
    }
    void dot(int x, int y, const QColor& c) { fill(x, y, x, y, c); }
    void line(int x0, int y0, int x1, int y1, const QColor& c = Ink) {
        p.setPen(QPen(c, 1));
        p.drawLine(x0, y0, x1, y1);
    }
    QImage done() {
        p.end();
        return image;
    }
};

void drawPaper(Canvas& c) {
    // A sheet with its top-right corner folded down.
    c.box(3, 1, 13, 14, Paper);
    c.fill(10, 1, 13, 3, Qt::transparent);
    c.line(10, 1, 13, 4);
    c.line(10, 1, 10, 4);
    c.line(10, 4, 13, 4);
    c.fill(11, 3, 11, 3, Silver);
}

void drawFloppy(Canvas& c, int x, int y, int size) {
    const int r = x + size - 1;
    const int b = y + size - 1;
    c.box(x, y, r, b, QColor(40, 80, 170));
    c.dot(r, y, Qt::transparent); // the cut corner
    // The metal shutter with its slot.
    c.box(x + 3, y, r - 3, y + size / 3, Silver);
    c.fill(r - 5, y + 1, r - 4, y + size / 3 - 1, Grey);
    // The label.
    c.box(x + 2, b - size / 2 + 1, r - 2, b, Paper);
    c.line(x + 4, b - size / 2 + 3, r - 4, b - size / 2 + 3, Grey);
}

void drawFolder(Canvas& c) {
    // The back of the folder with its tab, then the opened front flap.
    c.box(1, 3, 6, 5, Folder);
    c.box(1, 4, 12, 13, Folder);
    QPainterPath flap;
    flap.moveTo(4.5, 7.5);
    flap.lineTo(15.5, 7.5);
    flap.lineTo(12.5, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    c.p.setPen(QPen(Ink, 1));
    c.p.setBrush(FolderShade);
    c.p.drawPath(flap);
    c.p.setBrush(Qt::NoBrush);
}

void drawPencil(Canvas& c) {
    // A pencil writing towards the lower left.
    c.p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 5; ++i) {
        c.dot(14 - i, 7 + i, Ink);
        c.dot(15 - i, 8 + i, QColor(250, 200, 30));
        c.dot(15 - i, 7 + i, QColor(250, 200, 30));
        c.dot(15 - i, 9 + i, Ink);
    }
    c.dot(15, 6, QColor(230, 120, 120)); // the eraser
    c.dot(10, 12, Paper);
    c.dot(10, 13, Ink);
    c.dot(9, 13, Ink);
}

void drawGrid(Canvas& c) {
    // Nine chips of a sheet in a 3 x 3 grid.
    const QColor chips[9] = {{60, 170, 60},  {70, 120, 230},  {220, 190, 120},
                             {170, 90, 40},  {60, 170, 60},   {200, 60, 60},
                             {70, 120, 230}, {150, 150, 150}, {240, 220, 60}};
    c.frame(0, 0, 15, 15, Ink);
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k) {
            c.fill(1 + k * 5, 1 + r * 5, 4 + k * 5, 4 + r * 5, chips[r * 3 + k]);
        }
    }
    c.line(5, 0, 5, 15, Ink);
    c.line(10, 0, 10, 15, Ink);
    c.line(0, 5, 15, 5, Ink);
    c.line(0, 10, 15, 10, Ink);
}

void drawMapWindow(Canvas& c) {
    // A window with a title bar, showing a little map of grass, water and a path.
    c.box(0, 1, 15, 14, Paper);
    c.fill(1, 2, 14, 4, Navy);
    c.fill(12, 3, 13, 3, Paper);
    const QColor grass(70, 170, 70), water(60, 120, 230), sand(225, 195, 120);
    c.fill(1, 5, 14, 13, grass);
    c.fill(9, 5, 14, 9, water);
    c.fill(11, 10, 14, 13, water);
    c.fill(1, 10, 10, 11, sand);
    c.fill(5, 5, 6, 9, sand);
}

void drawMagnifier(Canvas& c, bool plus) {
    c.p.setRenderHint(QPainter::Antialiasing, true);
    c.p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
    c.p.drawLine(QPointF(10.5, 10.5), QPointF(14, 14));
    c.p.setPen(QPen(Ink, 1.6));
    c.p.setBrush(QColor(200, 230, 255));
    c.p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    c.p.setBrush(Qt::NoBrush);
    c.p.setRenderHint(QPainter::Antialiasing, false);
    c.fill(4, 6, 9, 7, Ink);
    if (plus) c.fill(6, 4, 7, 9, Ink);
}

void drawPenDot(Canvas& c, int size) {
    // A square of paint the size of the pen, on a small canvas.
    c.box(0, 0, 15, 15, Paper, Grey);
    const int lo = (Glyph - size) / 2;
    c.fill(lo, lo, lo + size - 1, lo + size - 1, Ink);
}

void drawStamp(Canvas& c) {
    const QColor wood(150, 90, 40), red(210, 30, 30);
    c.p.setRenderHint(QPainter::Antialiasing, true);
    c.p.setPen(QPen(Ink, 1));
    c.p.setBrush(wood);
    c.p.drawEllipse(QPointF(8, 3), 2.5, 2.5);
    c.p.setBrush(Qt::NoBrush);
    c.p.setRenderHint(QPainter::Antialiasing, false);
    c.box(7, 5, 8, 7, wood);
    c.box(2, 7, 13, 10, wood);
    c.fill(3, 11, 12, 12, Ink);
    c.fill(1, 14, 14, 15, red);
}

QImage drawGlyph(ButtonPicture picture) {
    Canvas c;
    switch (picture) {
    case ButtonPicture::None:
        break;
    case ButtonPicture::New:
        drawPaper(c);
        break;
    case ButtonPicture::Save:
        drawFloppy(c, 1, 1, 14);
        break;
    case ButtonPicture::Open:
        drawFolder(c);
        break;
    case ButtonPicture::SaveAs:
        drawFloppy(c, 0, 0, 12);
        drawPencil(c);
        break;
    case ButtonPicture::ChipWindow:
        drawGrid(c);
        break;
    case ButtonPicture::MapWindow:
        drawMapWindow(c);
        break;
    case ButtonPicture::ZoomIn:
        drawMagnifier(c, true);
        break;
    case ButtonPicture::ZoomOut:
        drawMagnifier(c, false);
        break;
    case ButtonPicture::Pen1:
        drawPenDot(c, 2);
        break;
    case ButtonPicture::Pen2:
        drawPenDot(c, 4);
        break;
    case ButtonPicture::Pen4:
        drawPenDot(c, 8);
        break;
    case ButtonPicture::Pen8:
        drawPenDot(c, 12);
        break;
    case ButtonPicture::Stamp:
        drawStamp(c);
        break;
    }
    return c.done();
}

} // namespace

QImage disabledLook(const QImage& normal) {
    // The etched look of a disabled button: every dark pixel of the picture becomes grey with a
    // white highlight one pixel down and to the right; light and mid-tone pixels (paper, fills)
    // drop out, so what stays is the outline.
    const QImage src = normal.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    auto ink = [&](int x, int y) {
        const QRgb px = src.pixel(x, y);
        return qAlpha(px) > 128 && qGray(px) < 100;
    };
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (ink(x, y) && x + 1 < src.width() && y + 1 < src.height()) {
                out.setPixel(x + 1, y + 1, qRgb(255, 255, 255));
            }
        }
    }
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            if (ink(x, y)) out.setPixel(x, y, qRgb(128, 128, 128));
        }
    }
    return out;
}

QIcon buttonIcon(ButtonPicture picture) {
    const QImage normal = drawGlyph(picture);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(disabledLook(normal)), QIcon::Disabled);
    return icon;
}

QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/tilora.svg"));
}

QImage splashImage() {
    constexpr int Width = 320, Height = 128;
    QImage image(Width, Height, QImage::Format_RGB888);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0, QColor(0, 0, 96));
    sky.setColorAt(1, QColor(30, 80, 190));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    QFont title(QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("DejaVu Sans")});
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 40));
    p.drawText(QRect(18, 8, 280, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tilora"));
    p.setPen(Qt::white);
    p.drawText(QRect(15, 5, 280, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tilora"));

    QFont version(QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("DejaVu Sans")});
    version.setPixelSize(16);
    p.setFont(version);
    p.setPen(QColor(255, 230, 120));
    p.drawText(QRect(200, 50, 108, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("ver1.0"));

    // A row of tiles, one of them under the red cell frame.
    const QColor tiles[] = {{70, 170, 70}, {60, 120, 230},  {225, 195, 120},
                            {170, 80, 50}, {240, 220, 60},  {70, 170, 70},
                            {200, 60, 60}, {150, 150, 150}, {60, 120, 230}};
    p.setRenderHint(QPainter::Antialiasing, false);
    int x = 16;
    for (const QColor& c : tiles) {
        p.fillRect(x, 86, 28, 28, c);
        p.setPen(QPen(QColor(0, 0, 40), 1));
        p.drawRect(x, 86, 27, 27);
        p.fillRect(x + 1, 87, 26, 3, c.lighter(130));
        x += 32;
    }
    p.setPen(QPen(QColor(255, 0, 0), 3));
    p.drawRect(16 + 32 * 2 - 2, 84, 31, 31);
    p.end();
    return image;
}

QPixmap splashPicture() {
    return QPixmap::fromImage(splashImage());
}

} // namespace tilora
