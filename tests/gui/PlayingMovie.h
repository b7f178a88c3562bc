#pragma once
// A real movie for the Dialog Start / Dialog End presses: made by ffmpeg once per test run,
// played by the window's built-in player (libmpv) without picture or sound.

#include "GuiTest.h"

#include <QString>
#include <cstdint>

namespace velkar::gui::test {

// 100 seconds of flat grey, 64 x 48 at 25 fps (a frame every 40 ms), MPEG-4 in an AVI; empty
// when ffmpeg could not make it.
QString HundredSecondMovie();

// A window test with the movie open in the built-in player, paused at 0. The window's timers
// are stopped, so nothing but the test moves the viewer or the player.
class PlayingMovieTest : public GuiTest {
  protected:
    // Starts the windows; false (and the test is to be skipped) when no movie can be had.
    bool startWithMovie();
    // Seeks the player to `ms` (a multiple of 40: the start of a frame) and waits until it
    // reads so.
    void at(std::int32_t ms);
    // Presses cmdStartEnd at `ms`.
    void pressAt(std::int32_t ms);
    // "Load Text" with a file holding `bytes`.
    void loadText(const std::string& bytes);
    // "Save As..." to `name` in the test's folder; gives the lines written.
    std::vector<std::string> saveAs(const QString& name);
};

} // namespace velkar::gui::test

#define VELKAR_START_WITH_MOVIE()                                                                  \
    do {                                                                                           \
        if (!startWithMovie())                                                                     \
            GTEST_SKIP() << "no movie: ffmpeg or libmpv is missing";                               \
    } while (false)
