#include "TestApp.h"

#include "shell/TMainWindow.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tilora::test {
namespace {

TEST(StartUp, OnlyNewAndOpenAreEnabled) {
    TestApp t;
    const TMainWindow& m = *t->MainWindow;
    EXPECT_TRUE(m.NewButton->isEnabled());
    EXPECT_TRUE(m.OpenButton->isEnabled());
    for (QPushButton* b : {m.OverWriteSaveButton, m.NameSaveButton, m.ChipShowButton,
                           m.MapShowButton, m.ZoomInButton, m.ZoomOutButton, m.PenButton1,
                           m.PenButton2, m.PenButton3, m.PenButton4, m.StampButton, m.SEButton}) {
        EXPECT_FALSE(b->isEnabled()) << b->toolTip().toStdString();
    }
}

}  // namespace
}  // namespace tilora::test
