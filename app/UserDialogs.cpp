#include "app/UserDialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace velkar::gui {

namespace {

class PlatformDialogs final : public UserDialogs {
  public:
    std::optional<QString> openFile(QWidget* parent, const FileRequest& request) override {
        QFileDialog dialog(parent, request.title, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!request.folder.isEmpty())
            dialog.setDirectory(request.folder);
        dialog.selectFile(request.fileName);
        return run(dialog);
    }

    std::optional<QString> saveFile(QWidget* parent, const FileRequest& request) override {
        QFileDialog dialog(parent, request.title, QString(), request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        // The command asks itself before replacing a file: only it knows the name with the
        // format's extension added.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!request.folder.isEmpty())
            dialog.setDirectory(request.folder);
        dialog.selectFile(request.fileName);
        return run(dialog);
    }

    void information(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::information(parent, title, ScreenText(text));
    }

    Answer question(QWidget* parent, const QString& title, const QString& text,
                    bool withCancel) override {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
        if (withCancel)
            buttons |= QMessageBox::Cancel;
        QMessageBox box(QMessageBox::Question, title, ScreenText(text), buttons, parent);
        box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return withCancel ? Answer::Cancel : Answer::No;
        }
    }

    std::optional<int> choose(QWidget* parent, const QString& title, const QString& text,
                              const QStringList& buttons) override {
        QMessageBox box(QMessageBox::Question, title, ScreenText(text), QMessageBox::NoButton,
                        parent);
        std::vector<QAbstractButton*> pressed;
        for (const QString& caption : buttons)
            pressed.push_back(box.addButton(caption, QMessageBox::AcceptRole));
        if (!pressed.empty())
            box.setDefaultButton(static_cast<QPushButton*>(pressed.front()));
        box.exec();
        for (std::size_t i = 0; i < pressed.size(); ++i)
            if (box.clickedButton() == pressed[i])
                return static_cast<int>(i);
        return std::nullopt;
    }

    std::optional<QFont> chooseFont(QWidget* parent, const QFont& current) override {
        bool ok = false;
        QFont font = QFontDialog::getFont(&ok, current, parent);
        if (!ok)
            return std::nullopt;
        return font;
    }

  private:
    static std::optional<QString> run(QFileDialog& dialog) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

PlatformDialogs g_platform;
UserDialogs* g_current = &g_platform;

} // namespace

std::optional<int> UserDialogs::choose(QWidget*, const QString&, const QString&,
                                       const QStringList&) {
    return std::nullopt;
}

UserDialogs& Dialogs() {
    return *g_current;
}

void SetUserDialogs(UserDialogs* dialogs) {
    g_current = dialogs ? dialogs : &g_platform;
}

QString ScreenText(QString text) {
    return text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
}

} // namespace velkar::gui
