#include "TestSupport.h"

#include "authoring/Descriptor.h"
#include "document/Errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {
namespace {

TEST(GenerateID, EightLettersOrDigitsBothDrawn) {
    std::mt19937 random(42);
    int letters = 0, digits = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string id = GenerateID(random);
        ASSERT_EQ(id.size(), 8u);
        for (char c : id) {
            ASSERT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << id;
            (c >= 'A' ? letters : digits)++;
        }
    }
    EXPECT_NEAR(letters, 800, 120); // one half chance each
    EXPECT_NE(GenerateID(), GenerateID());
}

TEST(MovieTitle, DropsTheLastFourCharacters) {
    EXPECT_EQ(MovieTitle("Film.avi"), "Film");
    // Four characters go whatever the extension: ".divx" leaves its dot.
    EXPECT_EQ(MovieTitle("Film.divx"), "Film.");
    EXPECT_EQ(MovieTitle("Film.mpeg4"), "Film.m");
    EXPECT_EQ(MovieTitle("a.av"), "");
    EXPECT_EQ(MovieTitle(""), "");
}

TEST(Descriptor, FieldsFromTheMovieAndTheSubtitleFile) {
    auto f = DescriptorFor("/some/folder/Film.avi", "/subs/Film.srt");
    EXPECT_EQ(f.Title, "Film");
    EXPECT_EQ(f.MovieDir, "/some/folder/");
    EXPECT_EQ(f.AviName, "Film.avi");
    EXPECT_EQ(f.SubDir, "/subs/");
    EXPECT_EQ(f.SubFileName, "Film.srt");
    EXPECT_EQ(f.ID.size(), 8u);
    auto none = DescriptorFor("", "");
    EXPECT_EQ(none.MovieDir, "");
    EXPECT_EQ(none.Short1 + " " + none.Long1, "GR Greek");
}

TEST(Descriptor, WritesTheFileLineByLineAndReplacesAnOldOne) {
    test::TempFolder folder;
    const std::string path = folder.path("mdvd.mvd").string();
    test::WriteBytes(path, "[OLD]\r\nStale=1\r\n[MAIN]\r\nExtra=2\r\n");
    DescriptorFields f;
    f.Title = "Film";
    f.ID = "A1B2C3D4";
    f.MovieDir = "/some/folder/";
    f.AviName = "Film.avi";
    f.SubDir = "/subs/";
    f.SubFileName = "Film.srt";
    WriteDescriptor(path, f);
    EXPECT_EQ(test::ReadBytes(path),
              "[Micro DVD Ini File]\r\n"
              "[MAIN]\r\nTitle=Film\r\nID=A1B2C3D4\r\nCDNumber=\r\nDelay=\r\n"
              "[MOVIE]\r\nDirectory=/some/folder/\r\nAviName=Film.avi\r\n"
              "Avi2Name=\r\nAvi3Name=\r\nCD1Frames=\r\nCD2Frames=\r\n"
              "CD3Frames=\r\n"
              "[SUBTITLES]\r\nDirectory=/subs/\r\nDialogString=\r\n"
              "EstimateDisplayDuration=\r\nMaxDisplayDuration=\r\n"
              "1=GR Greek\r\nFile=Film.srt\r\nOffset=\r\nMultiplier=\r\n"
              "Openbracket=\r\nClosebracket=\r\nLineSeperator=\r\n");
}

TEST(Descriptor, UnwritableFolderNamesTheFile) {
    test::TempFolder folder;
    const std::string path = (folder.path("missing") / "x.mvd").string();
    EXPECT_THAT([&] { WriteDescriptor(path, {}); },
                testing::ThrowsMessage<VelkarError>(
                    testing::StrEq("Unable to write to " + path + ": No such file or directory")));
}

} // namespace
} // namespace velkar
