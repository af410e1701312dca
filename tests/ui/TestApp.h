#pragma once
// A fresh application object on scripted dialogs and a 16-bit screen, plus small helpers that
// make generated chip sheets and drive widgets the way a user's pointer would.

#include "ScriptedDialogs.h"

#include "core/Bitmap.h"
#include "mapview/TMapWindow.h"
#include "platform/PictureWidget.h"
#include "shell/Application.h"
#include "shell/TMainWindow.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QMouseEvent>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <vector>

namespace tilora::test {

inline ScreenMetrics testScreen() {
    ScreenMetrics m;
    m.width = 1280;
    m.height = 1024;
    m.bitsPerPixel = 16;
    return m;
}

struct TestApp {
    ScriptedDialogs dialogs;
    // Every test starts from the remembered settings' defaults (the suite keeps them in a folder
    // of its own, see main.cpp).
    bool defaultSettings = (ViewPreferences{}.save(), true);
    std::unique_ptr<Application> app;
    QTemporaryDir dir;

    explicit TestApp(ScreenMetrics screen = testScreen())
        : app(std::make_unique<Application>(dialogs, screen)) {
        // The system pointer starts off every window; moves sent straight to a widget leave it
        // there, so a full refresh frames the view's first cell.
        QCursor::setPos(-1000, -1000);
    }

    Application& operator*() { return *app; }
    Application* operator->() { return app.get(); }
    EditorState& state() { return app->State; }
    QString path(const QString& name) const { return dir.filePath(name); }
    // The map's file name (the document's CurrentFileName) as text; empty: the map has none.
    QString fileName() const { return QFile::decodeName(app->State.CurrentFileName.c_str()); }
    void setFileName(const QString& name) {
        app->State.CurrentFileName = QFile::encodeName(name).toStdString();
    }
};

// A chip sheet whose every 32 x 32 chip has its own colour (chip k: 0xFF000000 | k * 0x010307 + 1),
// so a test can tell which chip was drawn where.
inline Pixel chipColour(int chip) {
    return 0xFF000000u | ((std::uint32_t(chip) * 0x00010307u + 1u) & 0x00FFFFFFu);
}

inline Bitmap makeSheet(int width, int height) {
    Bitmap sheet(width, height);
    const int cols = width / 32;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int chip = cols > 0 ? (y / 32) * cols + (x / 32) : 0;
            sheet.setPixel(x, y, chipColour(chip));
        }
    }
    return sheet;
}

// Writes a sheet as a 24-bit BMP file through Qt; returns the path.
QString writeSheetBmp(const QString& path, int width, int height);

// A pointer move to (x, y) of the widget, without buttons, delivered as a real event would be.
inline void movePointer(QWidget* w, int x, int y, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void pressButton(QWidget* w, Qt::MouseButton button, int x = 1, int y = 1) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), button,
                  button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    QMouseEvent r(QEvent::MouseButtonRelease, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), button,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &r);
}

// A started editor showing a map of chip 0 through the full refresh, cells 32 pixels; an exit
// request is recorded instead of ending the run.
struct Editor {
    TestApp t;
    TMainWindow& main;
    TMapWindow& view;
    std::vector<int> exits;

    explicit Editor(int side = 20, int sheetHeight = 256)
        : main(*t->MainWindow), view(*t->MapWindow) {
        t->start();
        t->setSheet(makeSheet(256, sheetHeight));
        t.state().MapWidth = t.state().MapHeight = side;
        t->layoutChipWindow();
        t->refreshMapView();
        main.exitProgram = [this](int code) { exits.push_back(code); };
    }
    EditorState& s() { return t.state(); }
    void moveTo(int row, int col) { movePointer(view.Image1, col * 32 + 16, row * 32 + 16); }
    void click(int row, int col, Qt::MouseButton b = Qt::LeftButton) {
        pressButton(view.Image1, b, col * 32 + 16, row * 32 + 16);
    }
    std::vector<std::int32_t> cells() const { return t.app->State.MapCells; }
    Pixel pixel(int row, int col) {
        return view.Image1->bitmap().pixel(col * 32 + 16, row * 32 + 16);
    }
};

// The pointer as the window system drives it: events go to the top-level window of `w`, which
// hands them to the topmost child under the pointer that takes mouse input and keeps a pressed
// child for itself until the release; the system pointer position follows. Positions are in
// `w`'s own pixels; the window must be shown.
struct UserPointer {
    QWidget* w;

    QWindow* window() const { return w->window()->windowHandle(); }
    QPoint inWindow(QPoint p) const {
        QCursor::setPos(w->mapToGlobal(p));
        return w->mapTo(w->window(), p);
    }
    void move(QPoint p) const { QTest::mouseMove(window(), inWindow(p)); }
    void press(Qt::MouseButton b, QPoint p) const {
        QTest::mousePress(window(), b, Qt::NoModifier, inWindow(p));
    }
    void click(Qt::MouseButton b, QPoint p) const {
        QTest::mouseClick(window(), b, Qt::NoModifier, inWindow(p));
    }
};

} // namespace tilora::test
