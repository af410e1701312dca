// The editor's application instance: an error thrown inside a handler is reported and the
// delivery ends there, instead of ending the program.

#include "shell/GuardedApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <functional>
#include <new>
#include <stdexcept>

namespace tilora::test {
namespace {

// A receiver whose event handler runs the given action.
class Thrower : public QObject {
  public:
    explicit Thrower(std::function<void()> action) : action_(std::move(action)) {}
    bool event(QEvent*) override {
        action_();
        return true;
    }

  private:
    std::function<void()> action_;
};

struct Guarded : testing::Test {
    GuardedApplication& app = *static_cast<GuardedApplication*>(QCoreApplication::instance());
    std::function<void(const QString&)> suiteReporter = app.reportError;
    std::vector<QString> reports;

    Guarded() {
        app.reportError = [this](const QString& text) { reports.push_back(text); };
    }
    ~Guarded() override { app.reportError = suiteReporter; }

    bool deliver(QObject& receiver) {
        QEvent event(QEvent::User);
        return QCoreApplication::sendEvent(&receiver, &event);
    }
};

TEST_F(Guarded, AnErrorInAHandlerIsReportedAndTheDeliveryEnds) {
    const std::pair<std::function<void()>, QString> cases[] = {
        {[] { throw std::runtime_error("読めません"); }, QStringLiteral("読めません")},
        {[] { throw std::bad_alloc(); }, QStringLiteral("メモリが足りません。")},
        {[] { throw 42; }, QStringLiteral("不明なエラーが発生しました。")},
    };
    for (const auto& [action, text] : cases) {
        reports.clear();
        Thrower receiver(action);
        EXPECT_FALSE(deliver(receiver));
        EXPECT_EQ(reports, std::vector<QString>{text});
    }
    Thrower quiet([] {});
    reports.clear();
    EXPECT_TRUE(deliver(quiet));
    EXPECT_TRUE(reports.empty());
}

TEST_F(Guarded, AnErrorWhileReportingIsNotReportedAgain) {
    Thrower inner([] { throw std::runtime_error("inner"); });
    app.reportError = [&](const QString& text) {
        reports.push_back(text);
        deliver(inner); // as a handler running under the error box would
    };
    Thrower outer([] { throw std::runtime_error("outer"); });
    deliver(outer);
    EXPECT_EQ(reports, std::vector<QString>{QStringLiteral("outer")});
}

} // namespace
} // namespace tilora::test
