#include "shell/GuardedApplication.h"

#include "platform/Dialogs.h"
#include "platform/UiText.h"

#include <QMessageBox>

#include <new>

namespace tilora {

QString describeError(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return uiText(QT_TRANSLATE_NOOP("tilora", "メモリが足りません。"));
    return QString::fromUtf8(e.what());
}

void showEscapedError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, text, QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report(describeError(e));
    } catch (...) {
        report(uiText(QT_TRANSLATE_NOOP("tilora", "不明なエラーが発生しました。")));
    }
    return false;
}

void GuardedApplication::report(const QString& text) {
    // A failure while the box itself is up is not shown again.
    if (reporting_) return;
    reporting_ = true;
    reportError(text);
    reporting_ = false;
}

} // namespace tilora
