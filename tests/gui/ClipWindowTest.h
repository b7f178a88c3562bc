#pragma once
// Window tests on the spoken clips made at test time (tests/autosync/make_clips.sh): the clips
// are made once a suite, the windows started with the overlay's timers stopped, and a clip
// opened as the movie with the picture and the sound off.

#include "GuiTest.h"

#include <string>

namespace velkar::gui::test {

class ClipWindowTest : public GuiTest {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static std::string clip(const std::string& name);
    // Opens clip `name` with "Open Media". False only when libmpv cannot start here; any other
    // failure to open it is a test failure.
    bool openClip(const std::string& name);
};

} // namespace velkar::gui::test
