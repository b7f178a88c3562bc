#pragma once
// The one seam between the windows and the dialogs the platform shows: file dialogs, message
// boxes, questions and the font dialog. The program uses the platform's dialogs; the window
// tests install their own answers with SetUserDialogs.

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace velkar::gui {

// The application title: the caption of every message box.
inline const QString kAppTitle = QStringLiteral("Velkar");

// What a file dialog is asked to show. The main window keeps one request per dialog
// ("OpenDialog", "SaveDialog"), and each command sets title, filter and file name before use;
// what a command leaves in it (the default suffix) stays for the next command.
struct FileRequest {
    QString title;
    QString filter; // Qt form: "Subtitles (*.sub *.srt *.txt);;All Files (*)"
    QString fileName;
    // The folder the dialog starts in; empty: the platform's choice.
    QString folder;
    // Added by the dialog to a name typed without extension; empty for none.
    QString defaultSuffix;
};

enum class Answer { Yes, No, Cancel };

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const FileRequest& request) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileRequest& request) = 0;
    // A plain information box. `text` may hold the LF CR line breaks of the program's messages.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with Yes and No (and Cancel when `withCancel`); closing the box answers
    // Cancel, or No without a Cancel button.
    virtual Answer question(QWidget* parent, const QString& title, const QString& text,
                            bool withCancel) = 0;
    // A box with `text` and one button per entry of `buttons`: the index of the button pressed,
    // or nothing when the box is closed. Dialogs that do not offer it answer nothing.
    virtual std::optional<int> choose(QWidget* parent, const QString& title, const QString& text,
                                      const QStringList& buttons);
    // The chosen font, or nothing when the user cancels.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& current) = 0;
};

// The dialogs in use: the platform's, unless a test installed others.
UserDialogs& Dialogs();
// Installs `dialogs` (not owned); nullptr restores the platform's.
void SetUserDialogs(UserDialogs* dialogs);

// A message of the program as the screen shows it: the LF CR pairs become one line break.
QString ScreenText(QString text);

} // namespace velkar::gui
