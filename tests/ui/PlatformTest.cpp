// The platform layer: sheet loading, fonts, the picture and shape controls, the Qt dialogs and
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

#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>

namespace tilora::test {
namespace {

// The editor's loader decodes through the core (whose tests cover the variants and refusals).

TEST(BmpLoader, ReadsASheetAndNamesTheFileInARefusal) {
    TestApp t;
    const Result<Bitmap> sheet = loadBmp(writeSheetBmp(t.path("tiles.bmp"), 96, 64));
    ASSERT_TRUE(sheet) << sheet.error().message;
    EXPECT_EQ(*sheet, makeSheet(96, 64));

    const QString broken = t.path(QStringLiteral("broken.bmp"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM and nothing more");
    f.close();
    const Result<Bitmap> refused = loadBmp(broken);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message.rfind("ビットマップを読み込めません：", 0), 0u);
    EXPECT_NE(refused.error().message.find(broken.toStdString()), std::string::npos);
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

// Counts the pointer moves that reach it.
class MoveCounter : public QWidget {
  public:
    int moves = 0;

  protected:
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
};

TEST(ShapeWidget, SwallowsPointerMovesReportsEveryPressAndDrawsARedOutline) {
    MoveCounter parent;
    parent.setMouseTracking(true);
    parent.resize(200, 200);
    QPalette green = parent.palette();
    green.setColor(QPalette::Window, Qt::green);
    parent.setPalette(green);
    parent.setAutoFillBackground(true);
    auto* shape = new ShapeWidget(ShapeWidget::Shape::Rectangle, 3, &parent);
    shape->setGeometry(10, 10, 32, 32);
    std::vector<Qt::MouseButton> pressed;
    QObject::connect(shape, &ShapeWidget::pressed,
                     [&](Qt::MouseButton b) { pressed.push_back(b); });

    movePointer(&parent, 100, 100);
    ASSERT_EQ(parent.moves, 1); // the counter does see moves sent to it
    movePointer(shape, 5, 5);
    movePointer(shape, 6, 6, Qt::LeftButton);
    movePointer(shape, 7, 7, Qt::RightButton);
    EXPECT_EQ(parent.moves, 1);

    const std::vector<Qt::MouseButton> buttons{Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    for (const Qt::MouseButton b : buttons)
        pressButton(shape, b);
    EXPECT_EQ(pressed, buttons);

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

TEST(PictureWidget, ReportsPointerMovesAndPressesWithTheirPosition) {
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
    pressButton(&picture, Qt::RightButton, 5, 6);
    EXPECT_EQ(moves, std::vector<QPoint>{QPoint(12, 34)});
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].first, Qt::RightButton);
    EXPECT_EQ(presses[0].second, QPoint(5, 6));
}

// ---------------------------------------------------------------------------------------------

TEST(FileFilter, ClassicFiltersBecomeQtFiltersMatchingAnyLetterCase) {
    const std::pair<QString, QString> conversions[] = {
        {QStringLiteral("ビットマップ(*.BMP)|*.BMP"),
         QStringLiteral("ビットマップ(*.BMP) (*.[Bb][Mm][Pp])")},
        {QStringLiteral("マップデータ(*.map)|*.map|すべて(*.*)|*.*"),
         QStringLiteral("マップデータ(*.map) (*.[Mm][Aa][Pp]);;すべて(*.*) (*.*)")},
        {QStringLiteral("画像|*.bmp;*.dib"),
         QStringLiteral("画像 (*.[Bb][Mm][Pp] *.[Dd][Ii][Bb])")},
    };
    for (const auto& [classic, qt] : conversions)
        EXPECT_EQ(toQtFilter(classic), qt);
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
