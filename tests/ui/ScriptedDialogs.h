#pragma once
// Dialogs for tests: every prompt is answered from a queue and recorded, so a test can assert
// which boxes and file dialogs appeared, with which texts, and in which order.

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tilora::test {

struct MessageCall {
    QString text;
    QString caption;
    MessageButtons buttons;
    QWidget* owner;
};

struct FileCall {
    bool save; // false: open dialog
    FileDialogRequest request;
};

class ScriptedDialogs : public Dialogs {
  public:
    // Queue answers. A prompt with nothing queued fails the test (throws).
    void answer(Answer a) { answers.push_back(a); }
    void chooseFile(const QString& path) { files.push_back(path); }
    void cancelFile() { files.push_back(std::nullopt); }

    Answer messageBox(QWidget* owner, const QString& text, const QString& caption,
                      MessageButtons buttons) override {
        messages.push_back({text, caption, buttons, owner});
        if (realQuestions && buttons != MessageButtons::Ok) {
            return QtDialogs().messageBox(owner, text, caption, buttons);
        }
        if (buttons == MessageButtons::Ok) {
            // An OK box needs no scripted answer unless one is queued for it.
            if (!answers.empty() && answers.front() == Answer::Ok) answers.pop_front();
            return Answer::Ok;
        }
        if (answers.empty()) {
            throw std::runtime_error("unexpected message box: " + text.toStdString());
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::optional<QString> openFile(QWidget*, const FileDialogRequest& request) override {
        return nextFile(false, request);
    }
    std::optional<QString> saveFile(QWidget*, const FileDialogRequest& request) override {
        return nextFile(true, request);
    }
    std::optional<int> chooseItem(QWidget*, const QString& text, const QString&,
                                  const QStringList& items) override {
        itemCalls.push_back({text, items});
        if (choices.empty()) throw std::runtime_error("unexpected list: " + text.toStdString());
        const std::optional<int> chosen = choices.front();
        choices.pop_front();
        return chosen;
    }
    void showHelp(QWidget*) override { ++helpShown; }

    // Set: questions (Yes/No, Yes/No/Cancel) are real message boxes, for tests that answer
    // them with clicks and keys; they are still recorded.
    bool realQuestions = false;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;
    std::vector<MessageCall> messages;
    std::vector<FileCall> fileCalls;
    std::deque<std::optional<int>> choices; // chooseItem's answers: an index, or cancel
    std::vector<std::pair<QString, QStringList>> itemCalls;
    int helpShown = 0;

  private:
    std::optional<QString> nextFile(bool save, const FileDialogRequest& request) {
        fileCalls.push_back({save, request});
        if (files.empty()) {
            throw std::runtime_error("unexpected file dialog: " + request.title.toStdString());
        }
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

} // namespace tilora::test
