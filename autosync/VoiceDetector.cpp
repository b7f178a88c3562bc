#include "autosync/VoiceDetector.h"

#include "autosync/SoundDecoder.h"
#include "document/Errors.h"

#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include <algorithm>

namespace velkar::autosync {

namespace {
constexpr std::size_t kFrameSamples = kSampleRate * kFrameMs / 1000; // 160
}

struct VoiceDetector::Impl {
    std::unique_ptr<webrtc::AudioProcessing> processing{webrtc::AudioProcessing::Create()};
    webrtc::AudioFrame frame;
    std::size_t filled = 0;
    SpeechMask mask;

    void decide() {
        frame.sample_rate_hz_ = kSampleRate;
        frame.num_channels_ = 1;
        frame.samples_per_channel_ = kFrameSamples;
        bool voice = false;
        if (processing->ProcessStream(&frame) == webrtc::AudioProcessing::kNoError)
            voice = processing->voice_detection()->stream_has_voice();
        mask.frames.push_back(voice ? 1 : 0);
        filled = 0;
    }
};

VoiceDetector::VoiceDetector() : m_impl(std::make_unique<Impl>()) {
    // The strictest mode: in quiet pink noise the laxer ones hear speech in about a tenth of
    // the silence, and a run of false speech before a line pulls the fit early.
    webrtc::VoiceDetection* detection = m_impl->processing->voice_detection();
    if (detection->Enable(true) != 0 ||
        detection->set_likelihood(webrtc::VoiceDetection::kVeryLowLikelihood) != 0 ||
        detection->set_frame_size_ms(kFrameMs) != 0)
        throw VelkarError("The voice detector cannot be started");
}

VoiceDetector::~VoiceDetector() = default;

void VoiceDetector::feed(std::span<const std::int16_t> samples) {
    Impl& d = *m_impl;
    while (!samples.empty()) {
        const std::size_t take = std::min(samples.size(), kFrameSamples - d.filled);
        std::copy_n(samples.begin(), take, d.frame.data_ + d.filled);
        d.filled += take;
        samples = samples.subspan(take);
        if (d.filled == kFrameSamples)
            d.decide();
    }
}

SpeechMask VoiceDetector::finish() {
    Impl& d = *m_impl;
    if (d.filled > 0) {
        std::fill(d.frame.data_ + d.filled, d.frame.data_ + kFrameSamples, std::int16_t{0});
        d.decide();
    }
    return std::move(d.mask);
}

} // namespace velkar::autosync
