// Decoding and voice detection on clips made at test time (make_clips.sh): three phrases at
// 2.0, 10.5 and 20.0 s in quiet pink noise, in several containers and codecs.

#include "autosync/MovieSpeech.h"
#include "autosync/SoundDecoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace velkar::autosync {
namespace {

using testing::ThrowsMessage;

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

class Clips : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string command =
            "bash " + std::string(VELKAR_AUTOSYNC_CLIP_SCRIPT) + " " + kClips + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static std::string clip(const std::string& name) { return kClips + "/" + name; }
};

// Runs of speech in a mask, as [start, end) in ms.
std::vector<Interval> Runs(const SpeechMask& mask) {
    std::vector<Interval> runs;
    for (std::size_t k = 0; k < mask.size(); ++k) {
        if (!mask.frames[k])
            continue;
        const double at = double(k) * kFrameMs;
        if (!runs.empty() && at - runs.back().end < 300.0)
            runs.back().end = at + kFrameMs; // pauses between words join the run
        else
            runs.push_back({at, at + kFrameMs});
    }
    return runs;
}

// The phrases' true spans: starts as placed, ends from the lengths the script wrote.
std::vector<Interval> Phrases() {
    std::ifstream lengths(kClips + "/lengths.txt");
    std::vector<Interval> phrases;
    for (double start : {2000.0, 10500.0, 20000.0}) {
        double seconds = 0;
        lengths >> seconds;
        phrases.push_back({start, start + seconds * 1000.0});
    }
    return phrases;
}

class SpeechInContainer : public Clips, public testing::WithParamInterface<const char*> {};

TEST_P(SpeechInContainer, PhrasesAreHeardWhereTheyWerePlaced) {
    QuietAnalysis quiet;
    const auto found = DetectMovieSpeech(clip(GetParam()), -1, quiet);
    ASSERT_TRUE(found);
    EXPECT_NEAR(found->speech.lengthMs(), 30000.0, 120.0); // AAC's and MP3's padding at most
    const bool picture = std::string_view(GetParam()).ends_with(".wav") == false;
    EXPECT_NEAR(found->frameRate, picture ? 25.0 : 0.0, 1e-9);
    // Every phrase is heard from within 150 ms of its start and mostly through; outside the
    // phrases the detector hears little.
    const auto phrases = Phrases();
    const auto runs = Runs(found->speech);
    double inside = 0, outside = 0, spoken = 0;
    for (std::size_t k = 0; k < found->speech.size(); ++k) {
        const double at = double(k) * kFrameMs + kFrameMs / 2.0;
        bool in = false;
        for (const Interval& p : phrases)
            in = in || (at >= p.start && at < p.end);
        (in ? inside : outside) += found->speech.frames[k] * kFrameMs;
    }
    for (const Interval& p : phrases) {
        spoken += p.end - p.start;
        const auto onset = std::find_if(runs.begin(), runs.end(), [&](const Interval& r) {
            return r.end > p.start - 500.0 && r.start < p.end;
        });
        ASSERT_NE(onset, runs.end()) << "phrase at " << p.start;
        EXPECT_NEAR(onset->start, p.start, 150.0);
    }
    EXPECT_GT(inside, 0.7 * spoken);
    EXPECT_LT(outside, 0.1 * (30000.0 - spoken));
}

INSTANTIATE_TEST_SUITE_P(Containers, SpeechInContainer,
                         testing::Values("speech.wav", "speech-aac.mkv", "speech-aac.mp4",
                                         "speech-mp3.avi", "speech-ac3.mkv"));

TEST_F(Clips, NoiseAndTonesAloneAreNotSpeech) {
    QuietAnalysis quiet;
    const auto found = DetectMovieSpeech(clip("quiet.mkv"), -1, quiet);
    ASSERT_TRUE(found);
    // The detector learns the noise in its first seconds; after them it stays quiet.
    std::size_t speech = 0;
    for (std::size_t k = 300; k < found->speech.size(); ++k)
        speech += found->speech.frames[k];
    EXPECT_LT(double(speech), 0.01 * double(found->speech.size()));
}

TEST_F(Clips, FilesWithoutUsableSoundSaySo) {
    QuietAnalysis quiet;
    const std::string nosound = clip("nosound.mkv");
    EXPECT_THAT([&] { DetectMovieSpeech(nosound, -1, quiet); },
                ThrowsMessage<NoSoundError>("The file " + nosound + " holds no sound"));
    const std::string movie = clip("speech-aac.mkv");
    for (int stream : {0, 2, 999})
        EXPECT_THAT([&] { DetectMovieSpeech(movie, stream, quiet); },
                    ThrowsMessage<NotSoundStreamError>("Stream " + std::to_string(stream) + " of " +
                                                       movie + " is not a sound stream"));
    const std::string missing = clip("missing.mkv");
    EXPECT_THAT([&] { DetectMovieSpeech(missing, -1, quiet); },
                ThrowsMessage<FileOpenError>("Cannot open file " + missing));
    const std::string text = clip("lengths.txt");
    EXPECT_THROW(DetectMovieSpeech(text, -1, quiet), VelkarError);
}

TEST_F(Clips, ChosenStreamAndCancelling) {
    QuietAnalysis quiet;
    const auto chosen = DetectMovieSpeech(clip("speech-aac.mkv"), 1, quiet);
    ASSERT_TRUE(chosen);
    EXPECT_GT(chosen->speech.size(), 2900u);

    struct StopAtOnce final : AnalysisProgress {
        void advanced(double fraction) override { seen.push_back(fraction); }
        bool cancelled() const override { return true; }
        std::vector<double> seen;
    } stop;
    EXPECT_FALSE(DetectMovieSpeech(clip("speech-aac.mkv"), -1, stop));
    EXPECT_EQ(stop.seen.size(), 1u);
}

class RangesOf : public Clips, public testing::WithParamInterface<const char*> {};

// Decoded in 30 s ranges on three threads, the 200 s dialogue (AAC at 48 kHz in Matroska, MP3 at
// 44.1 kHz in AVI) gives the very samples of one thread decoding it from start to end: each
// range starts on the right sample, its codec and resampler settled by then, and the ranges
// come in order. The speech heard is the same.
TEST_P(RangesOf, SoundDecodedInRangesJoinsUp) {
    const std::string movie = clip(GetParam());
    DecodePlan ranges;
    ranges.decoders = 3;
    ranges.rangeSeconds = 30;
    ranges.shortestSeconds = 60;
    const auto decode = [&](const DecodePlan* plan) {
        std::vector<std::int16_t> sound;
        SoundFacts facts;
        const SampleSink sink = [&](std::span<const std::int16_t> samples) {
            sound.insert(sound.end(), samples.begin(), samples.end());
        };
        const KeepGoing go = [](double) { return true; };
        EXPECT_TRUE(plan ? DecodeSoundAside(movie, -1, sink, go, facts, *plan)
                         : DecodeSound(movie, -1, sink, go, facts));
        return sound;
    };
    const auto whole = decode(nullptr);
    const auto joined = decode(&ranges);
    ASSERT_GT(whole.size(), std::size_t(190 * kSampleRate));
    ASSERT_EQ(joined.size(), whole.size());
    const auto differ = std::mismatch(whole.begin(), whole.end(), joined.begin()).first;
    EXPECT_EQ(differ, whole.end())
        << "from " << (differ - whole.begin()) * 1000 / kSampleRate << " ms on";

    QuietAnalysis quiet;
    const auto heardWhole = DetectMovieSpeech(movie, -1, quiet, DecodePlan{});
    const auto heardJoined = DetectMovieSpeech(movie, -1, quiet, ranges);
    ASSERT_TRUE(heardWhole && heardJoined);
    EXPECT_EQ(heardJoined->speech.frames, heardWhole->speech.frames);
    EXPECT_EQ(heardJoined->peaks, heardWhole->peaks);

    // Stopped a third of the way, the decoding threads stop too.
    struct StopAtAThird final : AnalysisProgress {
        void advanced(double fraction) override { last = fraction; }
        bool cancelled() const override { return last > 1.0 / 3.0; }
        double last = 0;
    } stop;
    EXPECT_FALSE(DetectMovieSpeech(movie, -1, stop, ranges));
    EXPECT_LT(stop.last, 0.4);
}

INSTANTIATE_TEST_SUITE_P(Containers, RangesOf,
                         testing::Values("dialogue-long.mkv", "dialogue-long.avi"));

} // namespace
} // namespace velkar::autosync
