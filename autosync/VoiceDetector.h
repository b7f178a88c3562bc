#pragma once
// Voice detection on 16 kHz mono sound, 10 ms at a time, with WebRTC's detector.

#include "autosync/SpeechMask.h"

#include <cstdint>
#include <memory>
#include <span>

namespace velkar::autosync {

class VoiceDetector {
  public:
    VoiceDetector();
    ~VoiceDetector();
    VoiceDetector(const VoiceDetector&) = delete;
    VoiceDetector& operator=(const VoiceDetector&) = delete;

    // Takes the next samples (16 kHz, mono) and decides every 10 ms frame they complete.
    void feed(std::span<const std::int16_t> samples);
    // The decisions so far; a last frame short of 10 ms is decided padded with silence.
    SpeechMask finish();

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace velkar::autosync
