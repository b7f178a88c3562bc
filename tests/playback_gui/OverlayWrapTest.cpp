// The subtitle label's wrapping against the plain rule: every line fits the width, the words
// come back in order with every character, and the lines fit the height unless the smallest
// font cannot make them.

#include "playback/OverlayWrap.h"

#include <QFontMetrics>
#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

namespace velkar::playback::test {
namespace {

QFont LabelFont() {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans")});
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

// A text of `words` words of 1..`longest` letters, some lines broken by '\n'.
QString RandomText(QRandomGenerator& random, int words, int longest) {
    QString text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text += random.bounded(12) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
        const int length = 1 + random.bounded(longest);
        for (int k = 0; k < length; ++k)
            text += QChar(u'a' + random.bounded(26));
    }
    return text;
}

QString WithoutBreaks(QString text) {
    return text.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
}

TEST(OverlayWrap, EveryLineFitsTheWidthAndNothingIsLost) {
    QRandomGenerator random(14);
    for (int round = 0; round < 300; ++round) {
        const int width = 40 + random.bounded(600);
        const int height = 20 + random.bounded(120);
        // words up to 40 letters: some wider than a narrow line
        const QString text = RandomText(random, 1 + random.bounded(60), 40);
        const WrappedText wrapped = WrapToFit(text, LabelFont(), width, height, 8);
        QFont font = LabelFont();
        font.setPixelSize(wrapped.pixelSize);
        const QFontMetrics metrics(font);
        const QStringList lines = wrapped.text.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            ASSERT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
        ASSERT_EQ(WithoutBreaks(wrapped.text), WithoutBreaks(text));
        ASSERT_GE(wrapped.pixelSize, 8);
        ASSERT_LE(wrapped.pixelSize, 13);
        if (wrapped.fits)
            ASSERT_LE(lines.size() * metrics.lineSpacing(), height);
        else
            ASSERT_EQ(wrapped.pixelSize, 8);
    }
}

TEST(OverlayWrap, BreaksOnlyAtSpacesWhereTheWordsFit) {
    const QFont font = LabelFont();
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("Down to the")) + 1;
    const WrappedText wrapped =
        WrapToFit(QStringLiteral("Down to the harbour"), font, width, 1000, 8);
    EXPECT_EQ(wrapped.text, QStringLiteral("Down to the\nharbour"));
    EXPECT_EQ(wrapped.pixelSize, 13);
    EXPECT_TRUE(wrapped.fits);
}

TEST(OverlayWrap, ALongTextTakesASmallerFontToFitTheHeight) {
    const QFont font = LabelFont();
    const QString text = QStringLiteral("00:00:20,000 / 00:05:00,000\n") +
                         QString(QStringLiteral("many words in a row ")).repeated(8).trimmed();
    const WrappedText wrapped = WrapToFit(text, font, 462, 50, 8);
    EXPECT_LT(wrapped.pixelSize, 13);
    EXPECT_TRUE(wrapped.text.startsWith(QStringLiteral("00:00:20,000 / 00:05:00,000\n")));
}

} // namespace
} // namespace velkar::playback::test
