#include "edit/TfrmEdit.h"

#include "app/Guard.h"
#include "document/LineIo.h"
#include "document/Report.h"
#include "edit/ReplaceDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

namespace velkar::gui {

namespace {

const QString kCaption = QStringLiteral("Subtitle Editor");

QFont VerdanaFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace

TfrmEdit::TfrmEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(kCaption);
    resize(554, 399);
    move(231, 210);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(57);
    lblError = new QLabel(QStringLiteral("Error"), Panel1);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setGeometry(8, 3, 300, 34);
    lblError->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblError->setFont(VerdanaFont());
    QPalette red = lblError->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblError->setPalette(red);
    lblInfo = new QLabel(Panel1);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(8, 38, 300, 16);
    lblInfo->setFont(VerdanaFont());
    const auto button = [this](const char* name, const char* caption, int l, int t) {
        auto* b = new QPushButton(QString::fromLatin1(caption), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(l, t, 110, 24);
        b->setAutoDefault(false);
        return b;
    };
    cmdGo = button("cmdGo", "Show Error", 318, 3);
    cmdFind = button("cmdFind", "Find/Replace", 434, 3);
    cmdSave = button("cmdSave", "Save Changes", 318, 30);
    cmdCancel = button("cmdCancel", "Cancel", 434, 30);

    memoEdit = new QPlainTextEdit(this);
    memoEdit->setObjectName(QStringLiteral("memoEdit"));
    // No wrapping: editor lines and document lines keep the same numbers.
    memoEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font;
    font.setFamilies({QStringLiteral("Lucida Sans Unicode"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    memoEdit->setFont(font);
    QPalette blue = memoEdit->palette();
    blue.setColor(QPalette::Text, Qt::blue);
    memoEdit->setPalette(blue);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Panel1);
    column->addWidget(memoEdit, 1);

    ReplaceDlg = new ReplaceDialog(this);
    ConnectGuarded(cmdGo, &QPushButton::clicked, this, [this] { cmdGoClick(); });
    ConnectGuarded(cmdFind, &QPushButton::clicked, this, [this] { cmdFindClick(); });
    ConnectGuarded(cmdSave, &QPushButton::clicked, this, [this] { cmdSaveClick(); });
    ConnectGuarded(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancelClick(); });
    ConnectGuarded(ReplaceDlg, &ReplaceDialog::find, this, [this] { ReplaceDlgFind(); });
    connect(ReplaceDlg, &ReplaceDialog::replace, this,
            [this](bool all) { Guarded(this, [this, all] { ReplaceDlgReplace(all); }); });
    qApp->installEventFilter(this);
}

void TfrmEdit::setDocument(velkar::SubtitleDocument* document, const TextCodec* codec) {
    m_document = document;
    m_codec = codec;
}

QString TfrmEdit::editorText() const {
    QString text = memoEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void TfrmEdit::LoadForEditing(const std::array<std::int32_t, 3>& ErrorLines,
                              const std::array<std::string, 3>& ErrorTexts) {
    LoadForEditing(velkar::ErrorLineArray{ErrorLines[0], ErrorLines[1], ErrorLines[2]},
                   {ErrorTexts[0], ErrorTexts[1], ErrorTexts[2]});
}

void TfrmEdit::LoadForEditing(const velkar::ErrorLineArray& ErrorLines,
                              const std::array<std::string, velkar::kErrorRecords>& ErrorTexts) {
    const TextCodec& codec = m_codec ? *m_codec : m_utf8;
    m_shown = m_document ? ShowLines(m_document->SubtitleLines, codec) : EditorText();
    const QString& text = m_shown.text;

    if (ErrorLines == velkar::ErrorLineArray{}) {
        lblError->clear();
        // Opened again without a saved change: caret and selection stay where they were.
        if (editorText() != text) {
            memoEdit->setPlainText(text);
            memoEdit->moveCursor(QTextCursor::Start);
        }
        return;
    }

    const velkar::ErrorRecord format = velkar::MostLikelyFormat(ErrorLines);
    lblInfo->setText(QString::fromStdString(velkar::LikelyFormatName(format)));
    lblError->setText(QStringLiteral("Error at: ") +
                      ScreenText(Decode(codec, ErrorTexts[std::size_t(format)])));

    memoEdit->setPlainText(text);
    memoEdit->moveCursor(QTextCursor::Start);
    // An error line past the end of the document leaves the caret at the start.
    const std::int32_t line = ErrorLines[std::size_t(format)];
    if (line < 0 || !m_document || std::size_t(line) >= m_document->SubtitleLines.size())
        return;
    const QTextBlock block = memoEdit->document()->findBlockByNumber(line);
    QTextCursor cursor = memoEdit->textCursor();
    cursor.setPosition(block.position());
    memoEdit->setTextCursor(cursor);
    ErrorSelStart = block.position();
    ErrorSelLength = block.length() - 1;
}

void TfrmEdit::cmdGoClick() {
    memoEdit->setFocus();
    const int size = memoEdit->document()->characterCount() - 1;
    const int start = std::clamp<int>(ErrorSelStart, 0, size);
    const int end = std::clamp<int>(ErrorSelStart + ErrorSelLength, 0, size);
    QTextCursor cursor = memoEdit->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    memoEdit->setTextCursor(cursor);
}

void TfrmEdit::cmdFindClick() {
    SearchPos = 0;
    ReplaceDlg->show();
    ReplaceDlg->raise();
    ReplaceDlg->activateWindow();
}

int TfrmEdit::findFromSearchPos() {
    memoEdit->setFocus();
    const QString find = ReplaceDlg->findText();
    // An empty find text matches nowhere (it would match everywhere, without end).
    if (find.isEmpty())
        return -1;
    const int k = int(editorText().indexOf(find, SearchPos, Qt::CaseSensitive));
    if (k < 0)
        return -1;
    QTextCursor cursor = memoEdit->textCursor();
    cursor.setPosition(k);
    cursor.setPosition(k + int(find.size()), QTextCursor::KeepAnchor);
    memoEdit->setTextCursor(cursor);
    return k;
}

void TfrmEdit::noMoreOccurrences() {
    Dialogs().information(this, kAppTitle,
                          QStringLiteral("There are no other ") + ReplaceDlg->findText());
}

void TfrmEdit::ReplaceDlgFind() {
    const int k = findFromSearchPos();
    if (k < 0) {
        noMoreOccurrences();
        return;
    }
    SearchPos = k + int(ReplaceDlg->findText().size());
}

void TfrmEdit::ReplaceDlgReplace(bool replaceAll) {
    if (!replaceAll) {
        ReplaceDlgFind();
        return;
    }
    const QString find = ReplaceDlg->findText();
    const QString replacement = ReplaceDlg->replaceText();
    int count = 0;
    for (int k; (k = findFromSearchPos()) >= 0;) {
        memoEdit->textCursor().insertText(replacement);
        SearchPos = k + int(replacement.size());
        ++count;
    }
    Dialogs().information(this, kAppTitle,
                          QString::number(count) + QStringLiteral(" ") + find +
                              QStringLiteral(" where replaced by ") + replacement);
    SearchPos = 0;
}

void TfrmEdit::cmdSaveClick() {
    const Answer answer = Dialogs().question(
        this, QStringLiteral("Confirm"),
        QStringLiteral("Save Changes to Subtitle file? (Original file will not be changed)"), true);
    if (answer == Answer::Cancel)
        return;
    if (answer == Answer::Yes && m_document) {
        const TextCodec& codec = m_codec ? *m_codec : m_utf8;
        // Unchanged text leaves the lines as they are, byte for byte.
        const QString text = editorText();
        if (text != m_shown.text)
            m_document->SubtitleLines = TakeLines(text, m_shown, m_document->SubtitleLines, codec);
        accept();
        return;
    }
    reject();
}

void TfrmEdit::cmdCancelClick() {
    reject();
}

void TfrmEdit::memoEditKeyDown() {
    // The line the caret was on when the key went down, counted from 1 as in the messages.
    setWindowTitle(kCaption + QStringLiteral(" (Line:") +
                   QString::number(memoEdit->textCursor().blockNumber() + 1) + QStringLiteral(")"));
}

bool TfrmEdit::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Escape) {
        cmdCancelClick();
        return true;
    }
    if (modifiers & Qt::ControlModifier) {
        if (key == Qt::Key_F)
            cmdFindClick();
        else if (key == Qt::Key_S)
            cmdSaveClick();
        return key == Qt::Key_F || key == Qt::Key_S;
    }
    return false;
}

bool TfrmEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    Guarded(this, [&] {
        if (watched == memoEdit)
            memoEditKeyDown();
        handled = FormKeyDown(key->key(), key->modifiers());
    });
    // Keys the window handled go no further (the editor has nothing to do with Ctrl+F, Ctrl+S).
    return handled || QDialog::eventFilter(watched, event);
}

} // namespace velkar::gui
