#include "edit/ReplaceDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkar::gui {

namespace {
// Both texts are short strings.
constexpr int kMaxText = 255;
} // namespace

ReplaceDialog::ReplaceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReplaceDlg"));
    setWindowTitle(QStringLiteral("Replace"));
    setModal(false);

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setMaxLength(kMaxText);
    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    txtReplace->setMaxLength(kMaxText);
    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdFindNext = button("cmdFindNext", "Find Next");
    cmdFindNext->setDefault(true);
    cmdReplace = button("cmdReplace", "Replace");
    cmdReplaceAll = button("cmdReplaceAll", "Replace All");
    cmdCancel = button("cmdCancel", "Cancel");

    auto* grid = new QGridLayout(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(txtFind);
    auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    replaceLabel->setBuddy(txtReplace);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(txtFind, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(txtReplace, 1, 1);
    auto* buttons = new QVBoxLayout();
    buttons->addWidget(cmdFindNext);
    buttons->addWidget(cmdReplace);
    buttons->addWidget(cmdReplaceAll);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnMinimumWidth(1, 200);

    connect(cmdFindNext, &QPushButton::clicked, this, &ReplaceDialog::find);
    connect(cmdReplace, &QPushButton::clicked, this, [this] { emit replace(false); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { emit replace(true); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
}

QString ReplaceDialog::findText() const {
    return txtFind->text();
}

QString ReplaceDialog::replaceText() const {
    return txtReplace->text();
}

} // namespace velkar::gui
