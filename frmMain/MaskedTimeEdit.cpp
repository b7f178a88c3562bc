#include "frmMain/MaskedTimeEdit.h"

#include "app/TextFit.h"
#include "document/Format.h"

#include <QRegularExpressionValidator>

namespace velkar::gui {

MaskedTimeEdit::MaskedTimeEdit(QWidget* parent)
    : QLineEdit(parent), m_frameDigits(new QRegularExpressionValidator(
                             QRegularExpression(QStringLiteral("[0-9]{0,9}")), this)) {
    setMask(Mask::SubRipClock);
}

MaskedTimeEdit::Mask MaskedTimeEdit::MaskFor(velkar::SubtitleFormat format) {
    const velkar::FormatEntry* entry = velkar::FindFormat(format);
    if (!entry)
        return Mask::HundredthsClock;
    if (entry->frames)
        return Mask::Frames;
    const std::string_view form = entry->typedForm;
    const std::size_t fraction = form.find_last_of(".,");
    if (fraction != std::string_view::npos && form[fraction] == ',')
        return Mask::SubRipClock;
    switch (fraction == std::string_view::npos ? 0 : form.size() - fraction - 1) {
    case 3:
        return Mask::MillisecondsClock;
    case 1:
        return Mask::TenthsClock;
    default:
        return Mask::HundredthsClock;
    }
}

QString MaskedTimeEdit::ResetText(Mask mask) {
    switch (mask) {
    case Mask::SubRipClock:
        return QStringLiteral("00:00:00,000");
    case Mask::HundredthsClock:
        return QStringLiteral("00:00:00.00");
    case Mask::MillisecondsClock:
        return QStringLiteral("00:00:00.000");
    case Mask::TenthsClock:
        return QStringLiteral("00:00:00.0");
    case Mask::Frames:
        return QStringLiteral("0");
    }
    return {};
}

namespace {

// A clock mask after its hours: Qt's mask letters, "9" a required digit; after ";" the blank.
QString ClockTail(MaskedTimeEdit::Mask mask) {
    switch (mask) {
    case MaskedTimeEdit::Mask::SubRipClock:
        return QStringLiteral(":99:99,999; ");
    case MaskedTimeEdit::Mask::HundredthsClock:
        return QStringLiteral(":99:99.99; ");
    case MaskedTimeEdit::Mask::MillisecondsClock:
        return QStringLiteral(":99:99.999; ");
    case MaskedTimeEdit::Mask::TenthsClock:
        return QStringLiteral(":99:99.9; ");
    case MaskedTimeEdit::Mask::Frames:
        break;
    }
    return {};
}

// The hours of a clock mask: two digits, the first one optional ("0").
const QString kTwoHours = QStringLiteral("09");

} // namespace

void MaskedTimeEdit::setMask(Mask mask) {
    m_mask = mask;
    if (m_placedFont)
        setFont(*m_placedFont);
    switch (mask) {
    case Mask::SubRipClock:
    case Mask::HundredthsClock:
    case Mask::MillisecondsClock:
    case Mask::TenthsClock:
        setValidator(nullptr);
        setPlaceholderText(QString());
        setInputMask(kTwoHours + ClockTail(mask));
        break;
    case Mask::Frames:
        // A Qt mask would fill unfilled positions after the digits ("125" showing as
        // "125000000"), so frames take a validator instead.
        setInputMask(QString());
        setMaxLength(9);
        setValidator(m_frameDigits);
        setPlaceholderText(QStringLiteral("0"));
        break;
    }
    setText(ResetText(mask));
}

void MaskedTimeEdit::setTime(const QString& text) {
    if (m_mask == Mask::Frames) {
        setText(text);
        return;
    }
    const QString clock = text.indexOf(QLatin1Char(':')) == 1 ? QLatin1Char('0') + text : text;
    // The formats whose hours have no limit write more than two hour digits (an HLS segment's
    // 1088 hours) and a sign: the mask takes as many places as the time has, so no digit is
    // cut off; "#" takes the sign.
    QString hours = kTwoHours;
    const qsizetype colon = clock.indexOf(QLatin1Char(':'));
    if (colon > 2 || clock.startsWith(QLatin1Char('-'))) {
        hours.clear();
        for (qsizetype k = 0; k < colon; ++k)
            hours += clock[k] == QLatin1Char('-') ? QLatin1Char('#') : QLatin1Char('9');
    }
    const QString mask = hours + ClockTail(m_mask);
    if (inputMask() != mask)
        setInputMask(mask);
    setText(clock);
    if (m_placedFont)
        setFont(*m_placedFont);
    if (!TextFits(this, clock)) {
        m_placedFont = font();
        FitTexts(this, {clock});
    }
}

QString MaskedTimeEdit::fieldText() const {
    return displayText();
}

} // namespace velkar::gui
