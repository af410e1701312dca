#include "TestApp.h"
#include "newmap/TStartUpWindow.h"
#include "palette/TMapChipWindow.h"
#include <QTest>
#include <QLineEdit>
#include <gtest/gtest.h>
namespace tilora::test {
TEST(NewMapGrabScratch, Grab) {
    TestApp t;
    t->start();
    auto& d = *t->StartUpWindow;
    d.showDialog();
    QTest::qWait(300);
    const QString path = writeSheetBmp(t.path("s.bmp"), 256, 128);
    t.dialogs.chooseFile(path);
    d.Button2Click();
    QTest::qWait(300);
    d.grab(QRect(0,0,300,300)).save("/tmp/nm/dialog.png");
    t->MapChipWindow->grab().save("/tmp/nm/palette.png");
    fprintf(stderr, "dialog geo %d,%d %dx%d max %d\n", d.x(), d.y(), d.width(), d.height(), d.isMaximized());
}
}
