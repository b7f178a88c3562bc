#include "ClipWindowTest.h"

#include "frmMain/PlaybackCommands.h"

#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace velkar::gui::test {

void ClipWindowTest::SetUpTestSuite() {
    const std::string command = "bash " + std::string(VELKAR_AUTOSYNC_CLIP_SCRIPT) + " " +
                                std::string(VELKAR_AUTOSYNC_CLIPS_DIR) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void ClipWindowTest::SetUp() {
    GuiTest::SetUp();
    start();
    form().tmrSub->stop();
    form().tmrScroll->stop();
}

std::string ClipWindowTest::clip(const std::string& name) {
    return std::string(VELKAR_AUTOSYNC_CLIPS_DIR) + "/" + name;
}

bool ClipWindowTest::openClip(const std::string& name) {
    PlaybackCommands& playback = form().playback();
    playback.playerOptions().picture = false;
    playback.playerOptions().audioOutput = QStringLiteral("null");
    dialogs.files.push_back(QString::fromStdString(clip(name)));
    form().cmdOpenMovie->click();
    if (playback.mediaLoaded())
        return true;
    const bool noPlayer = dialogs.messages.size() == 1 &&
                          dialogs.messages[0] == QStringLiteral("Cannot start the media player");
    if (!noPlayer)
        ADD_FAILURE() << "the movie did not open: "
                      << (dialogs.messages.empty() ? std::string("no message")
                                                   : dialogs.messages.back().toStdString());
    return !noPlayer;
}

} // namespace velkar::gui::test
