// The undo history against a plain model of it: a list of states, a position and the saved one,
// under random runs of changes, undos, redos and saves; and the byte limit dropping the oldest.

#include "document/UndoHistory.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velkar {
namespace {

SubtitleDocument State(int k) {
    return test::OpenLines(LineStore::Split("1\r\n00:00:0" + std::to_string(k % 10) +
                                            ",000 --> 00:00:09,000\r\nState " + std::to_string(k) +
                                            "\r\n"));
}

std::string Text(const SubtitleDocument& doc) {
    return doc.SubtitleTexts[0];
}

TEST(UndoHistory, FollowsAPlainModelOfItsStates) {
    std::mt19937 random(7);
    for (int run = 0; run < 50; ++run) {
        UndoHistory history;
        history.reset(State(0), true);
        std::vector<int> states = {0};
        std::size_t current = 0;
        long saved = 0; // -1: no state the file holds
        std::string shown = Text(State(0));
        for (int step = 0, next = 1; step < 40; ++step) {
            switch (random() % 4) {
            case 0: // a change
                states.resize(current + 1);
                if (saved > long(current))
                    saved = -1;
                states.push_back(next);
                current = states.size() - 1;
                history.record(State(next));
                shown = Text(State(next++));
                break;
            case 1:
                ASSERT_EQ(history.canUndo(), current > 0);
                if (current > 0) {
                    --current;
                    shown = Text(history.undo());
                }
                break;
            case 2:
                ASSERT_EQ(history.canRedo(), current + 1 < states.size());
                if (current + 1 < states.size()) {
                    ++current;
                    shown = Text(history.redo());
                }
                break;
            case 3:
                history.markSaved();
                saved = long(current);
                break;
            }
            ASSERT_EQ(shown, Text(State(states[current]))) << run << " " << step;
            ASSERT_EQ(history.atSaved(), saved == long(current)) << run << " " << step;
            ASSERT_EQ(history.size(), states.size());
        }
    }
}

TEST(UndoHistory, ALimitDropsTheOldestStepsAndKeepsTheCurrentOne) {
    const std::size_t each = UndoHistory::Bytes(State(1));
    UndoHistory history(3 * each + each / 2);
    history.reset(State(0), true);
    for (int k = 1; k <= 5; ++k)
        history.record(State(k));
    EXPECT_EQ(history.size(), 3u);
    EXPECT_FALSE(history.atSaved());
    EXPECT_EQ(Text(history.undo()), "State 4");
    EXPECT_EQ(Text(history.undo()), "State 3");
    EXPECT_FALSE(history.canUndo());

    // A state larger than the limit is kept alone.
    UndoHistory tiny(1);
    tiny.reset(State(0), false);
    tiny.record(State(1));
    EXPECT_EQ(tiny.size(), 1u);
    EXPECT_FALSE(tiny.canUndo());
}

TEST(UndoHistory, ARestoredStateKeepsTheFileNameAndAnchorsOfNow) {
    SubtitleDocument before = test::OpenLines(
        LineStore::Split("1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n\r\n2\r\n00:00:03,000 --> "
                         "00:00:04,000\r\nB\r\n"));
    before.SubtitleFileName = "old.srt";
    SubtitleDocument now = before;
    now.SubtitleFileName = "saved-as.srt";
    now.FirstAnchor = 1;
    now.LastAnchor = 5; // beyond what the state holds
    const SubtitleDocument restored = RestoredState(before, now);
    EXPECT_EQ(restored.SubtitleFileName, "saved-as.srt");
    EXPECT_EQ(restored.FirstAnchor, 1);
    EXPECT_EQ(restored.LastAnchor, 1);
    EXPECT_TRUE(restored.SubtitleLines == before.SubtitleLines);
}

} // namespace
} // namespace velkar
