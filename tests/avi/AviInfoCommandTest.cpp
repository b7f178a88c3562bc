#include "AviTestFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace velkar::test;

TEST(AviInfoCommand, ReportsEachFileInTurnKeepingValuesLaterFilesDoNotSupply) {
    VELKAR_MADE_AVI(withAudio, "pcm.avi", kVideoPcmStereo);
    VELKAR_MADE_AVI(silent, "xvid.avi", kVideoOnlyXvid);
    const std::string renamed = WriteTestFile("silent.mpg", ReadBytes(silent));
    const CliResult r = RunCli({"avi-info", withAudio, renamed});
    ASSERT_EQ(r.code, 0);
    const std::string& out = r.out;

    const std::string silentReport = out.substr(out.find("Filename:\t" + renamed));
    EXPECT_NE(silentReport.find("\nCompression:\tXVID - Unknown\n"), std::string::npos);
    EXPECT_NE(silentReport.find("\nStreams:\t1 (i.e. Video, Audio)\n"), std::string::npos);
    EXPECT_NE(
        silentReport.find("\nSample Rate:\t44100\nBit Depth:\t16\nChannels:\t2 (i.e. Stereo)\n"),
        std::string::npos);
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_TRUE(out.ends_with("(i.e. Stereo)\n"));
}

TEST(AviInfoCommand, FileThatCannotBeOpenedEndsTheCommandWithTheMessage) {
    VELKAR_MADE_AVI(withAudio, "pcm.avi", kVideoPcmStereo);
    TempFolder folder;
    const std::string fifo = folder.path("pipe.avi").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& bad :
         {folder.path("missing.avi").string(), folder.path("").string(), fifo}) {
        const CliResult r = RunCli({"avi-info", withAudio, bad});
        EXPECT_EQ(r.code, 1) << bad;
        EXPECT_EQ(r.err, "Cannot open file " + bad + "\n");
        EXPECT_NE(r.out.find("Filename:\t" + withAudio), std::string::npos); // the files before
    }
}

TEST(AviInfoCommand, NeedsAFile) {
    EXPECT_EQ(RunCli({"avi-info"}).code, 2);
}

} // namespace
