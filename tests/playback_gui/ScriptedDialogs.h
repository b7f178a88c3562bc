#pragma once
// Dialog answers for the window tests of this folder: the file dialog answers from a queue and
// every message box is recorded.

#include "app/UserDialogs.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace velkar::playback::test {

// Answers "open" file dialogs from `files` in order (a null path, or an empty queue, cancels);
// "save" dialogs, questions and the font dialog are cancelled or answered No.
class Script : public gui::UserDialogs {
  public:
    std::deque<QString> files;
    std::vector<gui::FileRequest> requests; // every "open" dialog asked for, in order
    std::vector<QString> messages;          // every message box's text, in order

    std::optional<QString> openFile(QWidget*, const gui::FileRequest& request) override {
        requests.push_back(request);
        if (files.empty())
            return std::nullopt;
        QString path = files.front();
        files.pop_front();
        if (path.isNull())
            return std::nullopt;
        return path;
    }
    std::optional<QString> saveFile(QWidget*, const gui::FileRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString&, const QString& text) override {
        messages.push_back(text);
    }
    gui::Answer question(QWidget*, const QString&, const QString&, bool) override {
        return gui::Answer::No;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return std::nullopt; }
};

} // namespace velkar::playback::test
