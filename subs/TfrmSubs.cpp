#include "subs/TfrmSubs.h"

#include "app/Guard.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace velkar::gui {

TfrmSubs::TfrmSubs(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmSubs"));
    // A tool window with a thin sizeable frame and no title-bar buttons: "View" hides it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint);
    resize(537, 329);
    move(309, 278);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedWidth(89);
    panel->setAutoFillBackground(true);
    chkScroll = new QCheckBox(QStringLiteral("Auto Scroll"), panel);
    chkScroll->setObjectName(QStringLiteral("chkScroll"));
    chkScroll->setGeometry(5, 4, 84, 17);
    chkScroll->setChecked(true);
    chkMoveAlong = new QCheckBox(QStringLiteral("Move Along"), panel);
    chkMoveAlong->setObjectName(QStringLiteral("chkMoveAlong"));
    chkMoveAlong->setGeometry(5, 24, 84, 17);
    cmdFont = new QPushButton(QStringLiteral("Select Font"), panel);
    cmdFont->setObjectName(QStringLiteral("cmdFont"));
    cmdFont->setGeometry(8, 56, 75, 25);

    lstSubs = new RowListView(this);
    lstSubs->setObjectName(QStringLiteral("lstSubs"));
    lstSubs->setFrameShape(QFrame::NoFrame);
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    lstSubs->setFont(font);
    QPalette palette = lstSubs->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, QColor(0x00, 0xFF, 0x00));
    lstSubs->setPalette(palette);
    lstSubs->setStyleSheet(QStringLiteral("QListView::item { height: 16px; }"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(panel);
    row->addWidget(lstSubs, 1);

    ConnectGuarded(chkMoveAlong, &QCheckBox::toggled, this, [this] { chkMoveAlongClick(); });
    ConnectGuarded(cmdFont, &QPushButton::clicked, this, [this] { cmdFontClick(); });
    FormCreate();
}

void TfrmSubs::FormCreate() {
    chkMoveAlong->setChecked(true);
    m_moveAlong = true;
}

void TfrmSubs::chkMoveAlongClick() {
    m_moveAlong = chkMoveAlong->isChecked();
}

void TfrmSubs::cmdFontClick() {
    if (std::optional<QFont> font = Dialogs().chooseFont(this, lstSubs->font()))
        lstSubs->setFont(*font);
}

void TfrmSubs::setRows(int count, RowModel::RowText text) {
    lstSubs->rows().setRows(count, std::move(text));
}

void TfrmSubs::SelectLine(std::int32_t line) {
    if (line == m_lastSelectedLine || !chkScroll->isChecked())
        return;
    ShowLine(line);
}

void TfrmSubs::ShowLine(std::int32_t line) {
    if (line < 0 || line >= lstSubs->count())
        return;
    lstSubs->showRowAtTop(line);
    m_lastSelectedLine = line;
}

} // namespace velkar::gui
