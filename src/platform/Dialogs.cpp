#include "platform/Dialogs.h"

#include "platform/HelpViewer.h"
#include "platform/UiText.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace tilora {

namespace {

// A question box that never turns a dismissal into an answer. QMessageBox clicks its escape
// button on Esc and on the close box, and without one it picks the "No" button itself; here
// both end the box with no button clicked, which the caller reads as Cancel.
class QuestionBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    // QMessageBox refuses the close box when it has no escape button; here the close box always
    // closes the question and counts as neither Yes nor No, so the plain dialog's handling is
    // wanted on purpose.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

} // namespace

Answer QtDialogs::messageBox(QWidget* owner, const QString& text, const QString& caption,
                             MessageButtons buttons) {
    QuestionBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* ok = nullptr;
    switch (buttons) {
    case MessageButtons::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        break;
    case MessageButtons::YesNo:
        yes = box.addButton(uiText(QT_TRANSLATE_NOOP("tilora", "はい(&Y)")), QMessageBox::YesRole);
        no = box.addButton(uiText(QT_TRANSLATE_NOOP("tilora", "いいえ(&N)")), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        break;
    case MessageButtons::YesNoCancel:
        yes = box.addButton(uiText(QT_TRANSLATE_NOOP("tilora", "はい(&Y)")), QMessageBox::YesRole);
        no = box.addButton(uiText(QT_TRANSLATE_NOOP("tilora", "いいえ(&N)")), QMessageBox::NoRole);
        box.addButton(uiText(QT_TRANSLATE_NOOP("tilora", "キャンセル")), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        break;
    }
    box.exec();
    // Only a click on Yes or No is that answer; the Cancel button, Esc and the close box are
    // all Cancel, in a Yes/No box too. An OK box has nothing to decide.
    QAbstractButton* clicked = box.clickedButton();
    if (buttons == MessageButtons::Ok) return Answer::Ok;
    if (clicked && clicked == yes) return Answer::Yes;
    if (clicked && clicked == no) return Answer::No;
    return Answer::Cancel;
}

std::optional<int> QtDialogs::chooseItem(QWidget* owner, const QString& text,
                                         const QString& caption, const QStringList& items) {
    QInputDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(text);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(uiText(QT_TRANSLATE_NOOP("tilora", "キャンセル")));
    if (!items.isEmpty()) dialog.setTextValue(items.front());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const auto chosen = items.indexOf(dialog.textValue());
    if (chosen < 0) return std::nullopt;
    return int(chosen);
}

QString toQtFilter(const QString& tableFilter) {
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QString anyCase;
            for (QChar ch : pattern) {
                if (ch.isLetter() && ch.unicode() < 128) {
                    anyCase += QLatin1Char('[') + ch.toUpper() + ch.toLower() + QLatin1Char(']');
                } else {
                    anyCase += ch;
                }
            }
            patterns << anyCase;
        }
        entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

namespace {
std::optional<QString> runFileDialog(QWidget* owner, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(toQtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultExt);
    // Replacing an existing map is not confirmed: the save goes through a temporary file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // The filter's pattern is spelled out for every letter case; show only its description.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

std::optional<QString> QtDialogs::openFile(QWidget* owner, const FileDialogRequest& request) {
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(QWidget* owner, const FileDialogRequest& request) {
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

void QtDialogs::showHelp(QWidget* owner) {
    HelpViewer::open(owner);
}

bool containsIgnoringAsciiCase(const QString& name, QLatin1String mark) {
    QString upper = name;
    for (QChar& ch : upper) {
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ch = QChar(ch.unicode() - 'a' + 'A');
    }
    return upper.contains(QString(mark).toUpper());
}

bool FileDialog::Execute(Dialogs& dialogs, QWidget* owner) {
    const FileDialogRequest request{DefaultExt, Filter, Title, FileName};
    const std::optional<QString> chosen =
        kind == Kind::Open ? dialogs.openFile(owner, request) : dialogs.saveFile(owner, request);
    if (!chosen) return false;
    FileName = *chosen;
    // A save name typed without an extension gets the default one, spelled as given, whichever
    // dialog the host shows (Qt's own does this itself; a desktop's native one may not).
    const QFileInfo info(FileName);
    if (kind == Kind::Save && !DefaultExt.isEmpty() && !info.fileName().isEmpty() &&
        !info.fileName().contains(QLatin1Char('.')) && !info.isDir()) {
        FileName += QLatin1Char('.') + DefaultExt;
    }
    return true;
}

} // namespace tilora
