#include "AviTestFiles.h"
#include "TestSupport.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

namespace {

using namespace velkar::test;

int RunCli(std::vector<std::string> args, std::string& out, std::string* err = nullptr) {
    args.insert(args.begin(), "velkar-cli");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::ostringstream output, errors;
    const int code = velkar::cli::Run(static_cast<int>(argv.size()), argv.data(), output, errors);
    out = output.str();
    if (err)
        *err = errors.str();
    return code;
}

TEST(AviInfoCommand, ReportsEachFileInTurnKeepingValuesLaterFilesDoNotSupply) {
    VELKAR_MADE_AVI(withAudio, "pcm.avi", kVideoPcmStereo);
    VELKAR_MADE_AVI(silent, "xvid.avi", kVideoOnlyXvid);
    const std::string renamed = WriteTestFile("silent.mpg", ReadBytes(silent));
    std::string out;
    ASSERT_EQ(RunCli({"avi-info", withAudio, renamed}, out), 0);

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
        std::string out, err;
        EXPECT_EQ(RunCli({"avi-info", withAudio, bad}, out, &err), 1) << bad;
        EXPECT_EQ(err, "Cannot open file " + bad + "\n");
        EXPECT_NE(out.find("Filename:\t" + withAudio), std::string::npos); // the files before
    }
}

TEST(AviInfoCommand, NeedsAFile) {
    std::string out;
    EXPECT_EQ(RunCli({"avi-info"}, out), 2);
}

} // namespace
