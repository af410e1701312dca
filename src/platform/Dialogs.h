#pragma once
// The host's modal services: message boxes, file dialogs and help. The windows call them only
// through this interface, so tests can answer every prompt from a script and assert its text.

#include "platform/UiText.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace tilora {

inline const QString ApplicationTitle = QStringLiteral("Tilora ForWIndows");
// The caption of the boxes that refuse a file name, a sheet or a save.
inline const UiText CautionCaption{QT_TRANSLATE_NOOP("tilora", "注意")};

enum class MessageButtons { Ok, YesNo, YesNoCancel };
// Cancel is also the answer of a question dismissed without a choice (Esc, the box's close
// button), whichever buttons it had: only an explicit click gives Yes or No.
enum class Answer { Ok, Yes, No, Cancel };

// The filter as the dialogs' tables write it, "description|pattern", e.g.
// "マップデータ(*.map)|*.map".
struct FileDialogRequest {
    QString defaultExt;
    QString filter;
    QString title;
    QString fileName; // the name the dialog opens showing
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual Answer messageBox(QWidget* owner, const QString& text, const QString& caption,
                              MessageButtons buttons) = 0;
    // The chosen path, or nothing when the user cancels. Open dialogs only return existing files.
    virtual std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) = 0;
    // One of `items`, chosen from a list under `text`, by its index; nothing when cancelled.
    virtual std::optional<int> chooseItem(QWidget* owner, const QString& text,
                                          const QString& caption, const QStringList& items) = 0;
    // Shows the editor's help document.
    virtual void showHelp(QWidget* owner) = 0;
};

// Qt's own dialogs: QMessageBox with Japanese button texts, QFileDialog, and the help viewer.
class QtDialogs : public Dialogs {
  public:
    Answer messageBox(QWidget* owner, const QString& text, const QString& caption,
                      MessageButtons buttons) override;
    std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<int> chooseItem(QWidget* owner, const QString& text, const QString& caption,
                                  const QStringList& items) override;
    void showHelp(QWidget* owner) override;
};

// "マップ(*.MAP)|*.MAP" -> "マップ(*.MAP) (*.[Mm][Aa][Pp])": the pattern matches in any letter
// case, since map and sheet file names come written in either.
QString toQtFilter(const QString& tableFilter);

// True when `mark` occurs anywhere in `name`, ASCII letters compared without regard to case
// (full-width and accented letters compare as they are). The file commands use it to accept a
// name by its extension mark: "a.MAP", "a.map.txt" and "set.bmp/a" all pass their tests.
bool containsIgnoringAsciiCase(const QString& name, QLatin1String mark);

// A file dialog object that remembers its properties between uses, like the main window's
// OpenDialog1 and SaveDialog1: set the properties, then Execute; on OK FileName is the choice.
struct FileDialog {
    enum class Kind { Open, Save };
    explicit FileDialog(Kind k) : kind(k) {}

    Kind kind;
    QString FileName;
    QString DefaultExt;
    QString Filter;
    QString Title;

    bool Execute(Dialogs& dialogs, QWidget* owner);
};

// Shows an error raised inside a handler (an unreadable bitmap, a failed save) in a box captioned
// with the application title.
inline void showError(Dialogs& dialogs, QWidget* owner, const QString& message) {
    dialogs.messageBox(owner, message, ApplicationTitle, MessageButtons::Ok);
}

} // namespace tilora
