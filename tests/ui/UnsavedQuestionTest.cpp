// The unsaved-changes question as the user meets it: a real message box answered with a click on
// Yes or No, the Esc key or the box's close button, before each command that asks it.

#include "FileCommandsSupport.h"

#include "newmap/TStartUpWindow.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tilora::test {
namespace {

using namespace files;

enum class Reply { Yes, No, Esc, Close };

// Answers the next message box, once it is up, as the user would.
void replyWhenAsked(Reply reply) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, reply] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        const QString yesNo[] = {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")};
        switch (reply) {
        case Reply::Yes:
        case Reply::No:
            for (QAbstractButton* b : box->buttons())
                if (b->text() == yesNo[reply == Reply::Yes ? 0 : 1]) b->click();
            break;
        case Reply::Esc:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Reply::Close:
            box->close();
            break;
        }
    });
    poll->start();
}

struct Command {
    const char* name;
    std::function<void(TestApp&, const QString& other)> run;
    std::function<bool(TestApp&)> wentOn; // the command did what it was asked for
};

TEST(UnsavedQuestion, OnlyYesOrNoLetsTheCommandGoOn) {
    std::vector<int> exits;
    const Command commands[] = {
        {"new map", [](TestApp& t, const QString&) { t->MainWindow->NewButtonClick(); },
         [](TestApp& t) { return t->StartUpWindow->isVisible(); }},
        {"close map", [](TestApp& t, const QString&) { t->MainWindow->CloseFileClick(); },
         [](TestApp& t) { return !t->MainWindow->NameSaveButton->isEnabled(); }},
        {"load", [](TestApp& t, const QString& other) { loadThroughMenu(t, other); },
         [](TestApp& t) { return t.state().MapWidth == 15; }},
        {"close box",
         [&exits](TestApp& t, const QString&) {
             exits.clear();
             t->MainWindow->exitProgram = [&exits](int code) { exits.push_back(code); };
             t->start();
             t->MainWindow->close();
         },
         [&exits](TestApp&) { return exits == std::vector<int>{0}; }},
    };
    for (const Command& command : commands) {
        for (Reply reply : {Reply::Yes, Reply::No, Reply::Esc, Reply::Close}) {
            SCOPED_TRACE(testing::Message() << command.name << ", reply " << int(reply));
            TestApp t;
            const MapFixture f = writeMapFixture(t, QStringLiteral("a.map"), 30, 30);
            const MapFixture other = writeMapFixture(t, QStringLiteral("b.map"), 15, 12, 4);
            loadThroughMenu(t, f.map);
            t.state().cell(0, 0) = 11;
            t.state().MapModified = 1;
            const MapContents edited = heldMap(t);
            t.dialogs.realQuestions = true;

            replyWhenAsked(reply);
            command.run(t, other.map);

            ASSERT_EQ(t.dialogs.messages.size(), 1u);
            const bool answered = reply == Reply::Yes || reply == Reply::No;
            EXPECT_EQ(command.wentOn(t), answered);
            EXPECT_EQ(readBytes(f.map), formatMapFile(reply == Reply::Yes ? edited : f.contents));
            if (!answered) {
                EXPECT_EQ(heldMap(t), edited);
                EXPECT_EQ(t.state().MapModified, 1);
            }
        }
    }
}

} // namespace
} // namespace tilora::test
