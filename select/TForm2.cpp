#include "select/TForm2.h"

#include "app/Guard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkar::gui {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    // A resizable tool window without title-bar buttons.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(696, 480);

    lstDialogs = new RowListView(this);
    lstDialogs->setObjectName(QStringLiteral("lstDialogs"));

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    lblCurrent = new QLabel(panel);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    QPalette red = lblCurrent->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblCurrent->setPalette(red);
    cmdSelect = new QPushButton(QStringLiteral("Select 1st"), panel);
    cmdSelect->setObjectName(QStringLiteral("cmdSelect"));
    cmdSelect->setDefault(true);
    cmdSelect->setAutoDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), panel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* bottom = new QHBoxLayout(panel);
    bottom->addWidget(lblCurrent, 1);
    bottom->addWidget(cmdSelect);
    bottom->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(lstDialogs, 1);
    column->addWidget(panel);

    ConnectGuarded(cmdSelect, &QPushButton::clicked, this, [this] { cmdSelectClick(); });
    ConnectGuarded(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancelClick(); });
    ConnectGuarded(lstDialogs, &QListView::doubleClicked, this, [this] { lstDialogsDblClick(); });
}

std::optional<std::int32_t> TForm2::Pick(int count, RowModel::RowText text, const QString& current,
                                         int selected, const QString& caption,
                                         const QString& selectCaption) {
    m_picked.reset();
    lstDialogs->rows().setRows(count, std::move(text));
    lblCurrent->setText(current);
    lstDialogs->setCurrentRow(selected);
    setWindowTitle(caption);
    cmdSelect->setText(selectCaption);
    lstDialogs->setFocus();
    exec();
    // The rows name the caller's subtitles, which may change once the picker is closed.
    lstDialogs->rows().clear();
    return m_picked;
}

void TForm2::cmdSelectClick() {
    const int row = lstDialogs->currentRow();
    // With nothing selected (an empty list) nothing is picked.
    if (row >= 0 && row < lstDialogs->count())
        m_picked = row;
    accept();
}

void TForm2::lstDialogsDblClick() {
    cmdSelectClick();
}

void TForm2::cmdCancelClick() {
    reject();
}

} // namespace velkar::gui
