// The main window's controls: place and size in client pixels, captions, hints, colours, fonts
// and the wiring of each control to its handler.

#include "app/Guard.h"
#include "app/TextFit.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/TForm1.h"
#include "sync/FixSynch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace velkar::gui {

namespace {

const QColor kLime(0x00, 0xFF, 0x00);

// A combo box list that drops down under the box, as a plain list, where the style would open
// it as a popup over the box. A popup is sized to its longest entry, which means measuring every
// entry each time it opens: 65,535 of them take a second.
class DropDownStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// Fonts by the names the layout was drawn with; where one is missing the closest installed
// face of the same kind takes its place.
QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

QFont LabelFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void Lime(QWidget* widget, int pixels, bool bold) {
    widget->setFont(LabelFont(pixels, bold));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, kLime);
    palette.setColor(QPalette::Text, kLime);
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::Base, Qt::black);
    widget->setPalette(palette);
}

template <class W> W* Place(QWidget* parent, const char* name, int l, int t, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(l, t, w, h);
    return widget;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int l, int t, int w,
                    int h) {
    auto* button = Place<QPushButton>(parent, name, l, t, w, h);
    button->setText(QString::fromLatin1(caption));
    return button;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
    auto* label = Place<QLabel>(parent, name, l, t, w, h);
    label->setText(QString::fromLatin1(caption));
    Lime(label, 13, true);
    return label;
}

// The two speed buttons' glyphs: a film strip for the video report, a page of lines for the
// subtitle report.
QIcon Glyph(bool film) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (film) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x30, 0x30));
        p.drawRect(1, 2, 14, 12);
        p.setBrush(QColor(0xF0, 0xF0, 0xF0));
        for (int x = 2; x < 15; x += 3) {
            p.drawRect(x, 3, 2, 2);
            p.drawRect(x, 11, 2, 2);
        }
        p.setBrush(QColor(0x40, 0x90, 0xE0));
        p.drawRect(3, 6, 10, 4);
    } else {
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.setBrush(Qt::white);
        p.drawRect(2, 1, 11, 14);
        p.setPen(QColor(0x20, 0x60, 0xC0));
        for (int y = 4; y < 14; y += 3)
            p.drawLine(4, y, 11, y);
    }
    return QIcon(pixmap);
}

QToolButton* SpeedButton(QWidget* parent, const char* name, const char* hint, bool film, int l,
                         int t) {
    auto* button = Place<QToolButton>(parent, name, l, t, 23, 22);
    button->setAutoRaise(true);
    button->setIcon(Glyph(film));
    button->setToolTip(QString::fromLatin1(hint));
    return button;
}

MaskedTimeEdit* TimeField(QWidget* parent, const char* name, int l, int t, int w, int h) {
    auto* field = Place<MaskedTimeEdit>(parent, name, l, t, w, h);
    field->setFrame(false);
    // A file dropped here opens, as anywhere on the window; its name is no time.
    field->setAcceptDrops(false);
    Lime(field, 13, true);
    return field;
}

// The player's own buttons; they do nothing until a movie is open.
QWidget* PlayerButtons(QWidget* parent) {
    auto* strip = Place<QWidget>(parent, "Mplayer", 115, 0, 141, 30);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    const struct {
        const char* name;
        QStyle::StandardPixmap icon;
    } buttons[] = {{"btPlay", QStyle::SP_MediaPlay},
                   {"btPause", QStyle::SP_MediaPause},
                   {"btStop", QStyle::SP_MediaStop},
                   {"btNext", QStyle::SP_MediaSkipForward},
                   {"btPrev", QStyle::SP_MediaSkipBackward}};
    for (const auto& b : buttons) {
        auto* button = new QToolButton(strip);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setIcon(strip->style()->standardIcon(b.icon));
        button->setFixedSize(27, 30);
        button->setEnabled(false);
        row->addWidget(button);
    }
    return strip;
}

} // namespace

void TForm1::buildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kAppTitle);
    // Fixed single border, system menu and minimise box; no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(592, 431);
    move(240, 169);
    setFont(WindowFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    // Subtitle files and movies may be dropped onto the window (HandedFiles.cpp).
    setAcceptDrops(true);

    cmdOpenMovie = Button(this, "cmdOpenMovie", "Open Media", 5, 4, 75, 25);
    cmdMovieInfo = SpeedButton(this, "cmdMovieInfo", "Video Information (Avi files)", true, 83, 6);
    chkBSP = Place<QCheckBox>(this, "chkBSP", 3, 32, 57, 17);
    chkBSP->setText(QStringLiteral("Use BSP"));
    Lime(chkBSP, 11, false);
    cmdBSP = Button(this, "cmdBSP", "BSP", 72, 33, 33, 17);
    cmdOpenSubtitle = Button(this, "cmdOpenSubtitle", "Open Subtitle", 3, 55, 75, 25);
    cmdLoadText = Button(this, "cmdLoadText", "Load Text", 3, 54, 75, 25);
    cmdLoadText->hide();
    cmdSubInfo = SpeedButton(this, "cmdSubInfo", "Subtitle Information", false, 83, 57);
    cmdCreate = Button(this, "cmdCreate", "Create Subs", 3, 80, 75, 17);
    cmdEdit = Button(this, "cmdEdit", "Edit...", 0, 102, 55, 18);
    cmdView = Button(this, "cmdView", "View", 56, 102, 55, 18);
    cmdSelect1 = Button(this, "cmdSelect1", "Select 1st", 1, 134, 57, 17);
    cmdFirst = Button(this, "cmdFirst", "Set Time...", 59, 134, 55, 17);
    txtFirst = TimeField(this, "txtFirst", 12, 154, 86, 14);
    cmdStartEnd = Button(this, "cmdStartEnd", "Dialog Start", 6, 171, 97, 25);
    cmdStartEnd->hide();
    // Room for the longest caption it takes.
    FitTexts(cmdStartEnd,
             {QStringLiteral("Repair Dialog Start"), QStringLiteral("Repair Dialog End")});
    cmdSelect2 = Button(this, "cmdSelect2", "Select Last", 0, 179, 58, 17);
    cmdLast = Button(this, "cmdLast", "Set Time...", 59, 179, 55, 17);
    txtLast = TimeField(this, "txtLast", 13, 196, 86, 17);
    Label3 = Label(this, "Label3", "Regression", 16, 218, 72, 16);
    cboRegression = Place<QComboBox>(this, "cboRegression", 8, 234, 89, 21);
    for (std::string_view item : velkar::kToleranceItems)
        cboRegression->addItem(QString::fromLatin1(item.data(), qsizetype(item.size())));
    cboRegression->setCurrentIndex(velkar::kDefaultToleranceIndex);
    cmdStretch = Button(this, "cmdStretch", "Fix Synch", 16, 266, 75, 25);
    // Our own control: the way back from the creation layout, where Fix Synch is.
    cmdLeaveCreation = Button(this, "cmdLeaveCreation", "Stop Creating", 16, 266, 75, 25);
    cmdLeaveCreation->setToolTip(
        QStringLiteral("Back to synchronising; subtitles created and not saved are asked about"));
    cmdLeaveCreation->hide();
    // Our own control, in the free strip between Fix Synch and the progress bar.
    cmdAutoSynch = Button(this, "cmdAutoSynch", "Auto Synch", 16, 295, 75, 23);
    cmdAutoSynch->setToolTip(QStringLiteral("Find the anchors' true times from the movie's sound"));
    // Our own controls, in the free room under the subtitle line: shown only for a movie with
    // several sound streams.
    lblSoundStream = Label(this, "lblSoundStream", "Sound:", 118, 349, 40, 16);
    cboSoundStream = Place<QComboBox>(this, "cboSoundStream", 160, 346, 200, 21);
    cboSoundStream->setToolTip(QStringLiteral("The sound stream Auto Synch and the timing strip "
                                              "listen to"));
    lblSoundStream->hide();
    cboSoundStream->hide();
    pgrBar = Place<QProgressBar>(this, "pgrBar", 0, 323, 113, 16);
    pgrBar->setRange(0, 100);
    pgrBar->setValue(0);
    pgrBar->setTextVisible(false);
    cmdSave = Button(this, "cmdSave", "Save As...", 2, 344, 107, 31);
    Button1 = Button(this, "Button1", "Make MVD File", 1, 376, 109, 17);
    // Our own control, under Make MVD File: the timing strip's panel.
    cmdStrip = Button(this, "cmdStrip", "Timing Strip", 1, 400, 109, 17);
    cmdStrip->setToolTip(QStringLiteral(
        "Show the movie's sound and the subtitles along time, to drag and sync them"));

    Mplayer = PlayerButtons(this);
    Label1 = Label(this, "Label1", "Vol:", 265, 8, 25, 16);
    VolBar = Place<QSlider>(this, "VolBar", 293, 3, 113, 25);
    VolBar->setOrientation(Qt::Horizontal);
    VolBar->setRange(0, 100);
    VolBar->setValue(0);
    VolBar->setTickInterval(1);
    VolBar->setTickPosition(QSlider::TicksBelow);
    Label2 = Label(this, "Label2", "Zoom:", 415, 7, 39, 16);
    // Wider than drawn, up to "About...": the arrow of today's styles takes half of 43 pixels.
    cboZoom = Place<QComboBox>(this, "cboZoom", 462, 3, 56, 21);
    cboZoom->addItems({QStringLiteral("0.5x"), QStringLiteral("1.0x"), QStringLiteral("1.5x"),
                       QStringLiteral("2.0x")});
    cboZoom->setCurrentIndex(1);
    cmdAbout = Button(this, "cmdAbout", "About...", 520, 6, 57, 17);
    MoviePanel = Place<QFrame>(this, "MoviePanel", 115, 32, 462, 260);
    MoviePanel->setAutoFillBackground(true);
    MoviePanel->setFrameShape(QFrame::Panel);
    MoviePanel->setFrameShadow(QFrame::Raised);
    lblSubs = Label(this, "lblSubs", "00:00:00,000 / 00:00:00,000", 115, 292, 462, 50);
    lblSubs->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblSubs->setAutoFillBackground(true);
    // What the last Fix Synch did, in a row of its own under the repair row.
    lblResult = Label(this, "lblResult", "", 115, 397, 474, 28);
    Lime(lblResult, 11, false);
    lblResult->setWordWrap(true);
    lblResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    chkRepair = Place<QCheckBox>(this, "chkRepair", 114, 374, 135, 17);
    chkRepair->setText(QStringLiteral("Repair Single Dialog"));
    Lime(chkRepair, 13, false);
    cboDialogs = Place<QComboBox>(this, "cboDialogs", 248, 374, 341, 21);
    cboDialogs->setEnabled(false);
    // One entry a subtitle, made as the list drops down; it drops down under the box as a list
    // of rows of one height, which does not measure every entry first as a popup would.
    m_dialogRows = new RowModel(cboDialogs);
    cboDialogs->setModel(m_dialogRows);
    auto* dialogView = new QListView(cboDialogs);
    dialogView->setUniformItemSizes(true);
    cboDialogs->setView(dialogView);
    cboDialogs->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* dropDown = new DropDownStyle(QApplication::style()->name());
    dropDown->setParent(cboDialogs);
    cboDialogs->setStyle(dropDown);

    tmrSub = new QTimer(this);
    tmrSub->setObjectName(QStringLiteral("tmrSub"));
    tmrSub->setInterval(1);
    tmrScroll = new QTimer(this);
    tmrScroll->setObjectName(QStringLiteral("tmrScroll"));
    tmrScroll->setInterval(100);

    const auto on = [this](auto* sender, auto signal, auto handler) {
        ConnectGuarded(
            sender, signal, this, [this, handler] { (this->*handler)(); }, &m_codec);
    };
    on(cmdOpenSubtitle, &QPushButton::clicked, &TForm1::cmdOpenSubtitleClick);
    on(cmdSubInfo, &QToolButton::clicked, &TForm1::cmdSubInfoClick);
    on(cmdEdit, &QPushButton::clicked, &TForm1::cmdEditClick);
    on(cmdView, &QPushButton::clicked, &TForm1::cmdShowSubsClick);
    on(cmdFirst, &QPushButton::clicked, &TForm1::cmdFirstClick);
    on(cmdLast, &QPushButton::clicked, &TForm1::cmdLastClick);
    on(cmdStretch, &QPushButton::clicked, &TForm1::cmdStretchClick);
    on(cmdAutoSynch, &QPushButton::clicked, &TForm1::cmdAutoSynchClick);
    on(cmdStrip, &QPushButton::clicked, &TForm1::cmdStripClick);
    on(cmdSave, &QPushButton::clicked, &TForm1::cmdSaveClick);
    on(cmdAbout, &QPushButton::clicked, &TForm1::cmdAboutClick);
    on(Button1, &QPushButton::clicked, &TForm1::cmdMakeMVDClick);
    on(cmdCreate, &QPushButton::clicked, &TForm1::cmdCreateClick);
    on(cmdLoadText, &QPushButton::clicked, &TForm1::cmdLoadTextClick);
    on(cmdLeaveCreation, &QPushButton::clicked, &TForm1::cmdLeaveCreationClick);
    on(cmdStartEnd, &QPushButton::clicked, &TForm1::cmdStartEndClick);
    on(chkRepair, &QCheckBox::toggled, &TForm1::chkRepairClick);
    // A pick by the user only: the list selecting its new entry after "Dialog End" seeks nothing.
    on(cboDialogs, &QComboBox::activated, &TForm1::cboDialogsClick);
    on(chkBSP, &QCheckBox::toggled, &TForm1::chkBspClick);
    on(cmdBSP, &QPushButton::clicked, &TForm1::cmdBSPClick);
    on(tmrSub, &QTimer::timeout, &TForm1::tmrSubTimer);
    ConnectGuarded(
        cmdSelect1, &QPushButton::clicked, this, [this] { SelectDialog(cmdSelect1); }, &m_codec);
    ConnectGuarded(
        cmdSelect2, &QPushButton::clicked, this, [this] { SelectDialog(cmdSelect2); }, &m_codec);
    tmrSub->start();
    tmrScroll->start();
    setUpAutoSynch();
}

} // namespace velkar::gui
