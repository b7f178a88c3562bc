#include "autosync/SoundDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <vector>

namespace velkar::autosync {

NoSoundError::NoSoundError(const std::string& path)
    : VelkarError("The file " + path + " holds no sound") {}

NotSoundStreamError::NotSoundStreamError(const std::string& path, int stream)
    : VelkarError("Stream " + std::to_string(stream) + " of " + path + " is not a sound stream") {}

SoundDecodeError::SoundDecodeError(const std::string& path)
    : VelkarError("The sound of " + path + " cannot be decoded") {}

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ResamplerFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

double FrameRateOf(const AVFormatContext& format) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& s = *format.streams[i];
        if (s.codecpar->codec_type != AVMEDIA_TYPE_VIDEO ||
            (s.disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        AVRational rate = s.avg_frame_rate.num > 0 ? s.avg_frame_rate : s.r_frame_rate;
        return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
    }
    return 0.0;
}

// Turns decoded frames into 16 kHz mono samples, placed on the movie's time line.
class Resampler {
  public:
    Resampler(const SampleSink& sink, std::string path) : m_sink(sink), m_path(std::move(path)) {}

    // `startSample`: where the frame belongs, in 16 kHz samples from time 0 (known for the
    // first frame only; later frames follow on).
    void add(const AVFrame& frame, std::int64_t startSample) {
        if (!m_swr || frame.sample_rate != m_rate || frame.format != m_format ||
            av_channel_layout_compare(&frame.ch_layout, &m_layout) != 0)
            open(frame);
        if (!m_placed) {
            m_placed = true;
            if (startSample > 0) {
                const std::vector<std::int16_t> silence(std::size_t(startSample), 0);
                m_sink(silence);
            } else {
                m_skip = -startSample;
            }
        }
        convert(frame.extended_data, frame.nb_samples);
    }

    void finish() {
        if (m_swr)
            convert(nullptr, 0);
    }

  private:
    void open(const AVFrame& frame) {
        if (m_swr)
            convert(nullptr, 0); // what the old settings still hold
        m_swr.reset();
        av_channel_layout_uninit(&m_layout);
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels == 0)
            av_channel_layout_default(&m_layout, std::max(1, frame.ch_layout.nb_channels));
        else
            av_channel_layout_copy(&m_layout, &frame.ch_layout);
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* swr = nullptr;
        if (swr_alloc_set_opts2(&swr, &mono, AV_SAMPLE_FMT_S16, kSampleRate, &m_layout,
                                AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            throw SoundDecodeError(m_path);
        }
        m_swr.reset(swr);
        // Keep comparing against the frame's own layout, unspecified or not.
        av_channel_layout_uninit(&m_layout);
        av_channel_layout_copy(&m_layout, &frame.ch_layout);
        m_rate = frame.sample_rate;
        m_format = frame.format;
    }

    void convert(const std::uint8_t* const* data, int count) {
        const int room = swr_get_out_samples(m_swr.get(), count) + 32;
        if (room <= 0)
            return;
        m_out.resize(std::size_t(room));
        std::uint8_t* out = reinterpret_cast<std::uint8_t*>(m_out.data());
        const int made =
            swr_convert(m_swr.get(), &out, room, const_cast<const std::uint8_t**>(data), count);
        if (made <= 0)
            return;
        std::span<const std::int16_t> samples(m_out.data(), std::size_t(made));
        const auto skip = std::min<std::int64_t>(m_skip, made);
        m_skip -= skip;
        samples = samples.subspan(std::size_t(skip));
        if (!samples.empty())
            m_sink(samples);
    }

    const SampleSink& m_sink;
    std::string m_path;
    std::unique_ptr<SwrContext, ResamplerFreer> m_swr;
    AVChannelLayout m_layout{};
    int m_rate = 0;
    int m_format = -1;
    bool m_placed = false;
    std::int64_t m_skip = 0;
    std::vector<std::int16_t> m_out;

  public:
    ~Resampler() { av_channel_layout_uninit(&m_layout); }
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;
};

} // namespace

bool DecodeSound(const std::string& path, int stream, const SampleSink& sink,
                 const KeepGoing& keepGoing, SoundFacts& facts) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0)
        throw FileOpenError(path);
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        throw FileOpenError(path);

    int index = -1;
    if (stream < 0) {
        for (unsigned i = 0; i < format->nb_streams && index < 0; ++i)
            if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                index = int(i);
        if (index < 0)
            throw NoSoundError(path);
    } else {
        if (unsigned(stream) >= format->nb_streams ||
            format->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            throw NotSoundStreamError(path, stream);
        index = stream;
    }
    facts.stream = index;
    facts.frameRate = FrameRateOf(*format);
    const std::int64_t start = format->start_time == AV_NOPTS_VALUE ? 0 : format->start_time;
    facts.lengthMs = format->duration > 0 ? double(format->duration) / 1000.0 : 0.0;
    // Only the chosen stream is read on: the demuxer then skips the picture's packets.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (int(i) != index)
            format->streams[i]->discard = AVDISCARD_ALL;

    AVStream* sound = format->streams[index];
    const AVCodec* codec = avcodec_find_decoder(sound->codecpar->codec_id);
    if (!codec)
        throw SoundDecodeError(path);
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), sound->codecpar) < 0)
        throw SoundDecodeError(path);
    decoder->pkt_timebase = sound->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        throw SoundDecodeError(path);

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    Resampler resampler(sink, path);
    bool first = true;
    const auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            std::int64_t at = 0;
            if (first) {
                first = false;
                const std::int64_t pts = frame->best_effort_timestamp;
                if (pts != AV_NOPTS_VALUE)
                    at = av_rescale_q(pts, sound->time_base, AVRational{1, kSampleRate}) -
                         av_rescale_q(start, AVRational{1, AV_TIME_BASE},
                                      AVRational{1, kSampleRate});
            }
            resampler.add(*frame, at);
            av_frame_unref(frame.get());
        }
    };

    const double lengthMs = facts.lengthMs;
    double nextReportMs = 0;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == index) {
            if (packet->pts != AV_NOPTS_VALUE && lengthMs > 0) {
                const double ms = double(
                    av_rescale_q(packet->pts - av_rescale_q(start, AVRational{1, AV_TIME_BASE},
                                                            sound->time_base),
                                 sound->time_base, AVRational{1, 1000}));
                if (ms >= nextReportMs) {
                    nextReportMs = ms + 1000.0;
                    if (!keepGoing(std::clamp(ms / lengthMs, 0.0, 1.0))) {
                        av_packet_unref(packet.get());
                        return false;
                    }
                }
            }
            // A packet the decoder refuses is skipped; the ones after it still count.
            if (avcodec_send_packet(decoder.get(), packet.get()) >= 0)
                drain();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    resampler.finish();
    return keepGoing(1.0);
}

} // namespace velkar::autosync
