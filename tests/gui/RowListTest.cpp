// The lists that make their rows as they are shown, and the progress bar that moves only
// when it would show it, against plain references.

#include "app/RowList.h"
#include "frmMain/BarProgress.h"

#include <QProgressBar>
#include <gtest/gtest.h>
#include <random>

namespace velkar::gui::test {
namespace {

TEST(RowList, RowsFollowTheirCountAndFunctionThroughResetsAndAppends) {
    RowListView list;
    std::vector<QString> reference; // what a list of items holding copies would show
    const auto rowText = [&reference](int i) { return reference[std::size_t(i)]; };
    std::mt19937 random(14);
    for (int round = 0; round < 40; ++round) {
        if (random() % 3 == 0) {
            reference.clear();
            for (int k = int(random() % 50); k > 0; --k)
                reference.push_back(QString::number(random()));
            list.rows().setRows(RowCount(reference.size()), rowText);
        } else {
            const int added = int(random() % 5);
            for (int k = 0; k < added; ++k)
                reference.push_back(QString::number(random()));
            list.rows().appendRows(added, rowText);
        }
        ASSERT_EQ(list.count(), int(reference.size()));
        for (int i = 0; i < list.count(); ++i)
            ASSERT_EQ(list.text(i), reference[std::size_t(i)]);
        EXPECT_EQ(list.text(list.count()), QString());
        EXPECT_EQ(list.text(-1), QString());
        const int pick = int(random() % 60) - 5;
        list.setCurrentRow(pick);
        const bool inside = pick >= 0 && pick < list.count();
        EXPECT_EQ(list.currentRow(), inside ? pick : list.currentRow());
        if (inside)
            EXPECT_EQ(list.selectionModel()->selectedIndexes().size(), 1);
        else
            EXPECT_TRUE(list.selectionModel()->selectedIndexes().isEmpty());
    }
}

TEST(BarProgress, TheBarKeepsWithinAStepOfThePositionAndShowsBothEndsExactly) {
    QProgressBar bar;
    BarProgress progress(&bar);
    std::mt19937 random(5);
    for (int run = 0; run < 20; ++run) {
        const int maximum = 1 + int(random() % 300000);
        progress.setMaximum(maximum);
        const long long step = maximum / BarProgress::kSteps + 1;
        for (int position = 0; position <= maximum; position += 1 + int(random() % 97)) {
            progress.setPosition(position);
            ASSERT_LE(position - bar.value(), step) << maximum << " " << position;
            ASSERT_LE(bar.value(), position);
        }
        progress.setPosition(maximum);
        EXPECT_EQ(bar.value(), maximum);
        progress.setPosition(0);
        EXPECT_EQ(bar.value(), 0);
    }
}

} // namespace
} // namespace velkar::gui::test
