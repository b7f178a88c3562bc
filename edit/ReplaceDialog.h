#pragma once
// The editor's find/replace dialog: the find text, the replacement text and the buttons
// Find Next, Replace, Replace All and Cancel. Searches always run forward, match case and
// match anywhere, so the dialog offers no options. Modeless: the user goes on editing while it
// is open.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace velkar::gui {

class ReplaceDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReplaceDialog(QWidget* parent = nullptr);

    QString findText() const;
    QString replaceText() const;

    QLineEdit* txtFind = nullptr;
    QLineEdit* txtReplace = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdCancel = nullptr;

  signals:
    void find();
    // `all`: Replace All rather than Replace.
    void replace(bool all);
};

} // namespace velkar::gui
