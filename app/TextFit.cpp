#include "app/TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

namespace velkar::gui {

namespace {

constexpr int kSmallestPixels = 7;

// The rectangle a control draws its text in, by the style's own measures.
QRect TextRoom(const QWidget* control) {
    QStyle* style = control->style();
    if (const auto* check = qobject_cast<const QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = check->text();
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QRect room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        // the focus frame inside the bevel
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button) / 2;
        return room.adjusted(margin, 0, -margin, 0);
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        // the label is drawn a pixel in from each side of the field
        return style
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .adjusted(1, 0, -1, 0);
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        // QLineEdit keeps two pixels free at each side of the text, inside its frame.
        QRect room = edit->contentsRect();
        if (edit->hasFrame())
            room.adjust(2, 2, -2, -2);
        const QMargins margins = edit->textMargins();
        return room.adjusted(margins.left() + 2, margins.top(), -margins.right() - 2,
                             -margins.bottom());
    }
    return control->contentsRect();
}

} // namespace

QStringList ShownTexts(const QWidget* control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text().isEmpty() ? QStringList() : QStringList{button->text()};
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text().isEmpty() ? QStringList() : label->text().split(QLatin1Char('\n'));
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text().isEmpty() ? QStringList() : QStringList{edit->text()};
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    return {};
}

bool TextFits(const QWidget* control, const QString& text) {
    const QFontMetrics metrics(control->font());
    const QRect room = TextRoom(control);
    const QStringList lines = text.split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest <= room.width() && lines.size() * metrics.height() <= room.height();
}

void FitTexts(QWidget* control, const QStringList& texts) {
    const auto allFit = [&] {
        for (const QString& text : texts)
            if (!TextFits(control, text))
                return false;
        return true;
    };
    QFont font = control->font();
    int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    while (!allFit() && pixels > kSmallestPixels) {
        --pixels;
        font.setPixelSize(pixels);
        control->setFont(font);
    }
}

void FitWindowTexts(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QStringList texts = ShownTexts(control);
        if (!texts.isEmpty())
            FitTexts(control, texts);
    }
}

} // namespace velkar::gui
