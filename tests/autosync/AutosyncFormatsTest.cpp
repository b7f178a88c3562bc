// velkar-cli autosync on the minute of dialogue made at test time, with its subtitles written as
// ASS and as WebVTT: the sound restores them as it restores the SubRip file.

#include "TestSupport.h"

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/TimeCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace velkar::autosync {
namespace {

namespace fs = std::filesystem;

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

SubtitleDocument OpenDocument(const std::string& path) {
    SubtitleDocument doc;
    NoProgress progress;
    ReadDocument(doc, path);
    Recognise(doc, progress);
    FinishOpen(doc, progress);
    return doc;
}

// The text lines of a SubRip text, "[br]" between them.
std::vector<std::string> TextLines(const std::string& stored) {
    std::vector<std::string> lines;
    for (std::size_t from = 0;;) {
        const std::size_t br = stored.find("[br]", from);
        lines.push_back(stored.substr(from, br - from));
        if (br == std::string::npos)
            return lines;
        from = br + 4;
    }
}

// The subtitles of `truth`, each time t written as t + shift, in an ASS file (a comment event
// among the dialogue) and in a WebVTT file.
std::string AsASS(const SubtitleDocument& truth, std::int32_t shift) {
    std::string out = "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n"
                      "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                      "Effect, Text\r\n";
    for (std::size_t i = 0; i < truth.SubtitleCount; ++i) {
        std::string text;
        for (const std::string& line : TextLines(truth.SubtitleTexts[i]))
            text += (text.empty() ? "" : "\\N") + line;
        out += "Dialogue: 0," + TimeToText(sfASS, truth.start(i) + shift) + "," +
               TimeToText(sfASS, truth.end(i) + shift) + ",Default,,0,0,0,," + text + "\r\n";
        if (i == 0)
            out += "Comment: 0," + TimeToText(sfASS, truth.start(i) + shift) + "," +
                   TimeToText(sfASS, truth.end(i) + shift) + ",Default,,0,0,0,,a note\r\n";
    }
    return out;
}

std::string AsWebVTT(const SubtitleDocument& truth, std::int32_t shift) {
    std::string out = "WEBVTT\n\nNOTE written by the test\n";
    for (std::size_t i = 0; i < truth.SubtitleCount; ++i) {
        out += "\n" + TimeToText(sfWebVTT, truth.start(i) + shift) + " --> " +
               TimeToText(sfWebVTT, truth.end(i) + shift) + " line:90%\n";
        for (const std::string& line : TextLines(truth.SubtitleTexts[i]))
            out += line + "\n";
    }
    return out;
}

struct Written {
    const char* name;
    const char* extension;
    SubtitleFormat format;
    std::string (*write)(const SubtitleDocument&, std::int32_t);
};

class AutosyncFormats : public testing::TestWithParam<Written> {
  protected:
    static void SetUpTestSuite() {
        const std::string command =
            "bash " + std::string(VELKAR_AUTOSYNC_CLIP_SCRIPT) + " " + kClips + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("velkar-autosync-formats-" +
                                                std::to_string(::getpid()) + "-" + GetParam().name);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }
    fs::path m_folder;
};

TEST_P(AutosyncFormats, RestoresEveryStartFromTheSound) {
    const SubtitleDocument truth = OpenDocument(kClips + "/dialogue.srt");
    ASSERT_GT(truth.SubtitleCount, 5);
    for (const std::int32_t shift : {3200, -900}) {
        const fs::path broken = m_folder / (std::string("broken") + GetParam().extension);
        const fs::path fixed = m_folder / (std::string("fixed") + GetParam().extension);
        std::ofstream(broken, std::ios::binary) << GetParam().write(truth, shift);
        const test::CliResult r = test::RunCli(
            {"autosync", broken.string(), kClips + "/dialogue.mkv", "-o", fixed.string()});
        ASSERT_EQ(r.code, 0) << r.err;
        const SubtitleDocument restored = OpenDocument(fixed.string());
        ASSERT_EQ(restored.SubtitleFormat, GetParam().format);
        std::vector<double> errors;
        for (std::size_t i = 0, k = 0; i < restored.SubtitleCount; ++i) {
            if (GetParam().format == sfASS && i == 1) {
                // The comment moves with the subtitle it was written beside.
                EXPECT_EQ(restored.start(1), restored.start(0));
                continue;
            }
            errors.push_back(std::abs(double(restored.start(i)) - double(truth.start(k))));
            EXPECT_LE(errors.back(), 150.0) << "subtitle " << k + 1 << ", shift " << shift;
            ++k;
        }
        ASSERT_EQ(errors.size(), truth.SubtitleCount);
        std::nth_element(errors.begin(), errors.begin() + errors.size() / 2, errors.end());
        EXPECT_LE(errors[errors.size() / 2], 30.0) << "median start error, shift " << shift;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, AutosyncFormats,
                         testing::Values(Written{"ASS", ".ass", sfASS, AsASS},
                                         Written{"WebVTT", ".vtt", sfWebVTT, AsWebVTT}),
                         [](const testing::TestParamInfo<Written>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace velkar::autosync
