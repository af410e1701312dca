// The platform layer: BMP loading, fonts, the picture and shape widgets, the Qt dialogs and
// file filters, screen metrics, and the program's own pictures and splash window.

#include "TestApp.h"

#include "platform/BmpLoader.h"
#include "platform/Dialogs.h"
#include "platform/Fonts.h"
#include "platform/PictureWidget.h"
#include "platform/ScreenMetrics.h"
#include "platform/ShapeWidget.h"
#include "shell/ButtonPictures.h"
#include "shell/TMainWindow.h"
#include "shell/TTitleWindow.h"

#include <QBuffer>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string_view>

namespace tilora::test {
namespace {

// ---------------------------------------------------------------------------------------------
// BMP files made byte by byte, so every header field is under the test's control.

struct BmpFields {
    qint32 width = 0;
    qint32 height = 0; // negative: rows stored top-down
    quint16 bitsPerPixel = 24;
    quint32 compression = 0;
    quint32 sizeImage = 0;
    QList<QRgb> palette;
    QByteArray pixels;
};

QByteArray bmpBytes(const BmpFields& s) {
    QByteArray b("BM");
    auto put = [&b](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    const quint32 offBits = 14 + 40 + quint32(s.palette.size()) * 4;
    // File header, then the 40-byte info header, then the palette as blue, green, red, 0.
    for (const quint32 v : {offBits + quint32(s.pixels.size()), 0u, offBits, 40u, quint32(s.width),
                            quint32(s.height)})
        put(v, 4);
    put(1, 2);
    put(s.bitsPerPixel, 2);
    for (const quint32 v :
         {s.compression, s.sizeImage, 2835u, 2835u, quint32(s.palette.size()), 0u})
        put(v, 4);
    for (const QRgb c : s.palette)
        put(c & 0xFFFFFF, 4);
    return b + s.pixels;
}

QString writeFile(const TestApp& t, const QString& name, const QByteArray& bytes) {
    QFile f(t.path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

// 24-bit rows of blue, green, red bytes, each row padded to 4 bytes.
QByteArray rows24(const std::vector<std::vector<QRgb>>& rows, bool padLastRow = true) {
    QByteArray out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const QRgb c : rows[r])
            out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        while ((padLastRow || r + 1 < rows.size()) && out.size() % 4 != 0)
            out.append('\0');
    }
    return out;
}

constexpr QRgb Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;

TEST(BmpLoader, ReadsSheetsRowsBottomUpAndTopDownAndPalettedPictures) {
    TestApp t;
    const Result<Bitmap> sheet = loadBmp(writeSheetBmp(t.path("tiles.bmp"), 96, 64));
    ASSERT_TRUE(sheet) << sheet.error().message;
    EXPECT_EQ(*sheet, makeSheet(96, 64));

    // Stored bottom-up: the first row in the file is the picture's bottom row.
    BmpFields up{3, 2, 24, 0, 0, {}, rows24({{Blue, White, Red}, {Red, Green, Blue}})};
    BmpFields down = up;
    down.height = -2;
    down.pixels = rows24({{Red, Green, Blue}, {Blue, White, Red}});
    const QByteArray indices("\x02\x03\x00\x00\x00\x01\x02\x00", 8);
    const BmpFields paletted{3, 2, 8, 0, 0, {Red, Green, Blue, White}, indices};
    const std::pair<const char*, BmpFields> cases[] = {
        {"up", up}, {"down", down}, {"paletted", paletted}};
    Bitmap expected(3, 2);
    for (int x = 0; x < 3; ++x) {
        expected.setPixel(x, 0, std::array{Red, Green, Blue}[x]);
        expected.setPixel(x, 1, std::array{Blue, White, Red}[x]);
    }
    for (const auto& [name, fields] : cases) {
        SCOPED_TRACE(name);
        const Result<Bitmap> loaded =
            loadBmp(writeFile(t, QString::fromUtf8(name) + ".bmp", bmpBytes(fields)));
        ASSERT_TRUE(loaded) << loaded.error().message;
        EXPECT_EQ(*loaded, expected);
    }
}

TEST(BmpLoader, DecodesRunLengthPictures) {
    TestApp t;
    // 4 x 2, 8 bits per pixel, run-length coded: bottom row "two of 1, two of 2", end of line,
    // top row "four of 3", end of picture.
    const QByteArray rle("\x02\x01\x02\x02\x00\x00\x04\x03\x00\x01", 10);
    BmpFields fields{4, 2, 8, 1, quint32(rle.size()), {White, Red, Green, Blue}, rle};
    const Result<Bitmap> loaded = loadBmp(writeFile(t, "rle.bmp", bmpBytes(fields)));
    ASSERT_TRUE(loaded) << loaded.error().message;
    Bitmap expected(4, 2, Blue);
    for (int x = 0; x < 4; ++x)
        expected.setPixel(x, 1, x < 2 ? Red : Green);
    EXPECT_EQ(*loaded, expected);

    // A stream that ends early leaves the rest of the picture in colour 0.
    BmpFields early = fields;
    early.pixels = QByteArray("\x02\x01\x00\x01", 4);
    early.sizeImage = 4;
    const Result<Bitmap> part = loadBmp(writeFile(t, "rleearly.bmp", bmpBytes(early)));
    ASSERT_TRUE(part) << part.error().message;
    Bitmap partExpected(4, 2, White);
    partExpected.setPixel(0, 1, Red);
    partExpected.setPixel(1, 1, Red);
    EXPECT_EQ(*part, partExpected);
}

TEST(BmpLoader, RefusesBrokenAndForeignFilesWithAReason) {
    TestApp t;
    QFile goodFile(writeSheetBmp(t.path("good.bmp"), 64, 64));
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray good = goodFile.readAll();
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        imageFromBitmap(makeSheet(64, 64)).save(&buffer, "PNG");
    }
    std::mt19937 random(1234);
    QByteArray noise;
    for (int i = 0; i < 5000; ++i)
        noise.append(char(random() & 0xFF));

    auto sized = [](qint32 w, qint32 h) {
        return bmpBytes({w, h, 24, 0, 0, {}, QByteArray(16, 0)});
    };
    QByteArray oddHeader = bmpBytes({4, 4, 24, 0, 0, {}, QByteArray(64, '\0')});
    oddHeader[14] = 50; // an info header size no writer uses
    // Without the last row's 3 padding bytes the decoder would leave the whole top row undefined.
    const BmpFields unpadded{
        3, 2, 24, 0, 0, {}, rows24({{Blue, White, Red}, {Red, Green, Blue}}, false)};
    // Run-length coded (4 x 2, 8 bits), cut short while the header announces the full size.
    const BmpFields rleCut{
        4, 2, 8, 1, 10, {White, Red, Green, Blue}, QByteArray("\x02\x01\x02\x02\x00\x00", 6)};

    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"missing", {}, "ファイルを開けません"},
        {"empty", {}, "ファイルが空です"},
        {"last row unpadded", bmpBytes(unpadded), "ファイルが途中で切れています"},
        {"run-length cut", bmpBytes(rleCut), "ファイルが途中で切れています"},
        {"cut in the pixels", good.left(good.size() - 100), "ファイルが途中で切れています"},
        {"headers only", good.left(54), "ファイルが途中で切れています"},
        {"cut in the info header", good.left(30), "ファイルが途中で切れています"},
        {"png", png, "BMP形式ではありません"},
        {"noise", noise, "BMP形式ではありません"},
        {"two letters", QByteArray("BM"), "BMP形式ではありません"},
        {"100000 x 100000", sized(100000, 100000), "大きすぎます"},
        {"just over the limit", sized(8193, 8192), "大きすぎます"},
        {"at the limit but short", sized(8192, 8192), "ファイルが途中で切れています"},
        {"zero width", sized(0, 10), "大きさが正しくありません"},
        {"odd header", oddHeader, "対応していないBMP形式です"},
        {"run-length coding on 24 bits", bmpBytes({4, 4, 24, 1, 0, {}, QByteArray(64, 0)}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = std::string_view(c.name) == "missing"
                                 ? t.path("nothing here.bmp")
                                 : writeFile(t, QStringLiteral("case.bmp"), c.bytes);
        const Result<Bitmap> loaded = loadBmp(path);
        ASSERT_FALSE(loaded);
        const std::string& message = loaded.error().message;
        EXPECT_EQ(message.rfind("ビットマップを読み込めません：", 0), 0u) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_NE(message.find(path.toStdString()), std::string::npos) << message;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(Fonts, LayoutNamesResolveToTheIpaGothics) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")},
    };
    for (const auto& [name, expected] : cases) {
        const QFontInfo info(layoutFont(name, 12));
        EXPECT_EQ(info.family(), expected) << name.toStdString();
        EXPECT_EQ(info.pixelSize(), 12) << name.toStdString();
    }
    TestApp t;
    EXPECT_EQ(QFontInfo(t->MainWindow->font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(t->MainWindow->PenButton1->font()).family(), QStringLiteral("IPAPGothic"));
}

// ---------------------------------------------------------------------------------------------

// Counts the pointer moves and presses that reach it.
class PointerCounter : public QWidget {
  public:
    int moves = 0;
    int presses = 0;

  protected:
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

TEST(ShapeWidget, IsOnlyDrawnWithARedOutlineAndPassesThePointerBeneath) {
    PointerCounter parent;
    parent.setMouseTracking(true);
    parent.resize(200, 200);
    QPalette green = parent.palette();
    green.setColor(QPalette::Window, Qt::green);
    parent.setPalette(green);
    parent.setAutoFillBackground(true);
    auto* shape = new ShapeWidget(ShapeWidget::Shape::Rectangle, 3, &parent);
    shape->setGeometry(10, 10, 32, 32);
    parent.show();

    const UserPointer pointer{&parent};
    pointer.move(QPoint(20, 20));
    pointer.click(Qt::LeftButton, QPoint(20, 20));
    pointer.click(Qt::RightButton, QPoint(11, 11));
    EXPECT_GE(parent.moves, 1);
    EXPECT_EQ(parent.presses, 2);

    // A 3-pixel red outline; the inside and the outside show the parent's green.
    const QImage image = parent.grab().toImage();
    for (auto [x, y] : {std::pair{10, 20}, {12, 20}, {41, 41}})
        EXPECT_EQ(QColor(image.pixel(x, y)), QColor(Qt::red)) << x << "," << y;
    for (auto [x, y] : {std::pair{26, 26}, {5, 5}})
        EXPECT_EQ(QColor(image.pixel(x, y)), QColor(Qt::green)) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------

TEST(PictureWidget, ShowsTheBitmapItHoldsAfterEachRefresh) {
    PictureWidget picture;
    picture.setAutoSize(true);
    picture.setBitmap(makeSheet(64, 32));
    EXPECT_EQ(picture.size(), QSize(64, 32));
    QImage shown = picture.grab().toImage();
    EXPECT_EQ(shown.pixel(40, 5), chipColour(1));

    // Drawn straight into the bitmap, made visible by refresh().
    picture.bitmap().setPixel(40, 5, 0xFF123456u);
    picture.refresh();
    shown = picture.grab().toImage();
    EXPECT_EQ(shown.pixel(40, 5), 0xFF123456u);
    EXPECT_EQ(shown.pixel(41, 5), chipColour(1));

    // Replaced wholesale: the widget follows the new buffer, even before refresh() is called.
    picture.bitmap() = Bitmap(64, 32, 0xFF00AA00u);
    shown = picture.grab().toImage();
    EXPECT_EQ(shown.pixel(40, 5), 0xFF00AA00u);
}

TEST(PictureWidget, ReportsFreePointerMovesAndPressesWithTheirPosition) {
    PictureWidget picture;
    picture.setBitmap(Bitmap(50, 50));
    picture.resize(50, 50);
    std::vector<QPoint> moves;
    std::vector<std::pair<Qt::MouseButton, QPoint>> presses;
    QObject::connect(&picture, &PictureWidget::mouseMoved,
                     [&](int x, int y) { moves.emplace_back(x, y); });
    QObject::connect(&picture, &PictureWidget::mousePressed, [&](Qt::MouseButton b, int x, int y) {
        presses.emplace_back(b, QPoint(x, y));
    });
    movePointer(&picture, 12, 34);
    movePointer(&picture, 20, 20, Qt::LeftButton); // belongs to a press: not reported
    pressButton(&picture, Qt::RightButton, 5, 6);
    EXPECT_EQ(moves, std::vector<QPoint>{QPoint(12, 34)});
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].first, Qt::RightButton);
    EXPECT_EQ(presses[0].second, QPoint(5, 6));
}

// ---------------------------------------------------------------------------------------------

TEST(FileFilter, TableFiltersBecomeQtFiltersMatchingAnyLetterCase) {
    const std::pair<QString, QString> conversions[] = {
        {QStringLiteral("ビットマップ(*.BMP)|*.BMP"),
         QStringLiteral("ビットマップ(*.BMP) (*.[Bb][Mm][Pp])")},
        {QStringLiteral("マップデータ(*.map)|*.map|すべて(*.*)|*.*"),
         QStringLiteral("マップデータ(*.map) (*.[Mm][Aa][Pp]);;すべて(*.*) (*.*)")},
        {QStringLiteral("画像|*.bmp;*.dib"),
         QStringLiteral("画像 (*.[Bb][Mm][Pp] *.[Dd][Ii][Bb])")},
    };
    for (const auto& [table, qt] : conversions)
        EXPECT_EQ(toQtFilter(table), qt);
}

// Runs a QtDialogs message box and, once it is up, records its look and clicks a button.
struct BoxSeen {
    QStringList buttons;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Information;
};

Answer runBox(MessageButtons buttons, int click, BoxSeen& seen, bool escape = false) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        // In the order they are laid out.
        QList<QAbstractButton*> list = box->buttons();
        std::sort(list.begin(), list.end(),
                  [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
        for (QAbstractButton* b : list)
            seen.buttons << b->text();
        if (escape) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &key);
            if (box->isVisible()) box->reject();
        } else {
            list[click]->click();
        }
    });
    poll.start();
    QtDialogs dialogs;
    return dialogs.messageBox(nullptr, QStringLiteral("本文"), QStringLiteral("題"), buttons);
}

TEST(QtDialogs, MessageBoxesHaveJapaneseButtonsAndNoIcon) {
    struct Case {
        MessageButtons buttons;
        QStringList texts;
        std::vector<Answer> answers; // for clicking each button in turn
    };
    const QString yes = QStringLiteral("はい(&Y)"), no = QStringLiteral("いいえ(&N)");
    const Case cases[] = {
        {MessageButtons::Ok, {QStringLiteral("OK")}, {Answer::Ok}},
        {MessageButtons::YesNo, {yes, no}, {Answer::Yes, Answer::No}},
        {MessageButtons::YesNoCancel,
         {yes, no, QStringLiteral("キャンセル")},
         {Answer::Yes, Answer::No, Answer::Cancel}},
    };
    for (const Case& c : cases) {
        for (int k = 0; k < int(c.answers.size()); ++k) {
            BoxSeen seen;
            EXPECT_EQ(runBox(c.buttons, k, seen), c.answers[std::size_t(k)]);
            EXPECT_EQ(seen.buttons, c.texts);
            EXPECT_EQ(seen.title, QStringLiteral("題"));
            EXPECT_EQ(seen.text, QStringLiteral("本文"));
            EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
        }
    }
    BoxSeen seen;
    EXPECT_EQ(runBox(MessageButtons::YesNoCancel, 0, seen, true), Answer::Cancel);
}

// ---------------------------------------------------------------------------------------------

TEST(ScreenMetrics, ComeFromThePrimaryScreen) {
    const ScreenMetrics m = ScreenMetrics::fromPrimaryScreen();
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(m.width, screen->geometry().width());
    EXPECT_EQ(m.height, screen->geometry().height());
    EXPECT_EQ(m.bitsPerPixel, screen->depth());
    EXPECT_GT(m.bitsPerPixel, 0);
}

// ---------------------------------------------------------------------------------------------

const ButtonPicture kPictures[] = {
    ButtonPicture::New,    ButtonPicture::Save,       ButtonPicture::Open,
    ButtonPicture::SaveAs, ButtonPicture::ChipWindow, ButtonPicture::MapWindow,
    ButtonPicture::ZoomIn, ButtonPicture::ZoomOut,    ButtonPicture::Pen1,
    ButtonPicture::Pen2,   ButtonPicture::Pen4,       ButtonPicture::Pen8,
    ButtonPicture::Stamp,
};

TEST(ButtonPictures, EachHasItsOwnPictureAndAGreyDisabledLook) {
    std::vector<QImage> seen;
    for (const ButtonPicture picture : kPictures) {
        SCOPED_TRACE(int(picture));
        const QIcon icon = buttonIcon(picture);
        const QImage normal = icon.pixmap(16, 16, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(16, 16, QIcon::Disabled).toImage();
        ASSERT_EQ(normal.size(), QSize(16, 16));
        ASSERT_EQ(disabled.size(), QSize(16, 16));
        EXPECT_NE(normal, disabled);
        int greys = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb p = disabled.pixel(x, y);
                if (qAlpha(p) == 0) continue;
                EXPECT_TRUE(p == qRgb(128, 128, 128) || p == qRgb(255, 255, 255)) << x << "," << y;
                greys += p == qRgb(128, 128, 128);
            }
        EXPECT_GT(greys, 3);
        const QImage plain = normal.convertToFormat(QImage::Format_ARGB32);
        for (const QImage& other : seen)
            EXPECT_NE(plain, other);
        seen.push_back(plain);
    }
}

TEST(ButtonPictures, IconAndSplashHaveTheirSizes) {
    EXPECT_EQ(applicationIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    const QImage splash = splashImage();
    EXPECT_EQ(splash.size(), QSize(320, 128));
    EXPECT_EQ(splash.format(), QImage::Format_RGB888);
}

TEST(TitleWindow, IsABorderlessWhiteWindowShowingThePicturesTopLeft) {
    TestApp t;
    TTitleWindow& w = *t->TitleWindow;
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.Image1->geometry(), QRect(0, 0, 320, 128));
    w.show();
    EXPECT_EQ(w.frameGeometry().size(), QSize(318, 127));
    const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected =
        splashImage().copy(0, 0, 318, 127).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, expected);
    w.hide();
}

} // namespace
} // namespace tilora::test
