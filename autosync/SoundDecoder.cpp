#include "autosync/SoundDecoder.h"

#include "autosync/FfmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

namespace velkar::autosync {

NoSoundError::NoSoundError(const std::string& path)
    : VelkarError("The file " + path + " holds no sound") {}

NotSoundStreamError::NotSoundStreamError(const std::string& path, int stream)
    : VelkarError("Stream " + std::to_string(stream) + " of " + path + " is not a sound stream") {}

SoundDecodeError::SoundDecodeError(const std::string& path)
    : VelkarError("The sound of " + path + " cannot be decoded") {}

namespace {

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

using SwrSlot = std::unique_ptr<SwrContext, ResamplerFreer>;

// Turns decoded frames into 16 kHz mono samples, placed on the movie's time line. The resampler
// in `swr` is set up afresh (its filter, slow to build, kept when the settings are the same).
class Resampler {
  public:
    Resampler(const SampleSink& sink, std::string path, SwrSlot& swr)
        : m_sink(sink), m_path(std::move(path)), m_swr(swr) {}

    // `startSample`: where the frame belongs, in 16 kHz samples from time 0 (known for the
    // first frame only; later frames follow on).
    void add(const AVFrame& frame, std::int64_t startSample) {
        if (!m_open || frame.sample_rate != m_rate || frame.format != m_format ||
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
        if (m_open)
            convert(nullptr, 0);
    }

  private:
    void open(const AVFrame& frame) {
        if (m_open)
            convert(nullptr, 0); // what the old settings still hold
        m_open = false;
        av_channel_layout_uninit(&m_layout);
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels == 0)
            av_channel_layout_default(&m_layout, std::max(1, frame.ch_layout.nb_channels));
        else
            av_channel_layout_copy(&m_layout, &frame.ch_layout);
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* swr = m_swr.release();
        if (swr_alloc_set_opts2(&swr, &mono, AV_SAMPLE_FMT_S16, kSampleRate, &m_layout,
                                AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            throw SoundDecodeError(m_path);
        }
        m_swr.reset(swr);
        m_open = true;
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
    SwrSlot& m_swr;
    bool m_open = false; // set up by this resampler
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

// A movie opened on its sound stream, ready to decode from its start or from a time sought.
class OpenedSound {
  public:
    OpenedSound(const std::string& path, int stream) : m_path(path) {
        av_log_set_level(AV_LOG_QUIET);
        AVFormatContext* opened = nullptr;
        if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0)
            throw FileOpenError(path);
        m_format.reset(opened);
        if (avformat_find_stream_info(m_format.get(), nullptr) < 0)
            throw FileOpenError(path);
        if (stream < 0) {
            for (unsigned i = 0; i < m_format->nb_streams && m_index < 0; ++i)
                if (m_format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                    m_index = int(i);
            if (m_index < 0)
                throw NoSoundError(path);
        } else {
            if (unsigned(stream) >= m_format->nb_streams ||
                m_format->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
                throw NotSoundStreamError(path, stream);
            m_index = stream;
        }
        m_facts.stream = m_index;
        m_facts.frameRate = FrameRateOf(*m_format);
        m_start = m_format->start_time == AV_NOPTS_VALUE ? 0 : m_format->start_time;
        m_facts.lengthMs = m_format->duration > 0 ? double(m_format->duration) / 1000.0 : 0.0;
        // Only the chosen stream is read on: the demuxer then skips the picture's packets.
        for (unsigned i = 0; i < m_format->nb_streams; ++i)
            if (int(i) != m_index)
                m_format->streams[i]->discard = AVDISCARD_ALL;

        m_sound = m_format->streams[m_index];
        const AVCodec* codec = avcodec_find_decoder(m_sound->codecpar->codec_id);
        if (!codec)
            throw SoundDecodeError(path);
        m_decoder.reset(avcodec_alloc_context3(codec));
        if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), m_sound->codecpar) < 0)
            throw SoundDecodeError(path);
        m_decoder->pkt_timebase = m_sound->time_base;
        if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0)
            throw SoundDecodeError(path);
        m_packet.reset(av_packet_alloc());
        m_frame.reset(av_frame_alloc());
        if (!m_packet || !m_frame)
            throw SoundDecodeError(path);
    }

    // Where decoding from the start places its frames: the first's time stamp and length, and
    // the length of the others.
    struct Grid {
        bool known = false;
        int rate = 0;
        std::int64_t firstPts = 0;
        std::int64_t firstSize = 0;
        std::int64_t frameSize = 0;
    };

    const SoundFacts& facts() const { return m_facts; }
    bool used() const { return m_used; }
    void setGrid(const Grid& grid) { m_grid = grid; }

    // Decodes the first two frames to learn where decoding from the start places frames;
    // unknown when the codec's frames are not all one length.
    Grid learnGrid() {
        m_used = true;
        Grid grid;
        int frames = 0;
        while (frames < 2 && av_read_frame(m_format.get(), m_packet.get()) >= 0) {
            if (m_packet->stream_index == m_index &&
                avcodec_send_packet(m_decoder.get(), m_packet.get()) >= 0) {
                while (frames < 2 && avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
                    if (frames++ == 0) {
                        grid.rate = m_frame->sample_rate;
                        grid.firstPts = m_frame->best_effort_timestamp;
                        grid.firstSize = m_frame->nb_samples;
                    } else {
                        grid.frameSize = m_frame->nb_samples;
                    }
                    av_frame_unref(m_frame.get());
                }
            }
            av_packet_unref(m_packet.get());
        }
        grid.known = frames == 2 && grid.firstPts != AV_NOPTS_VALUE && grid.frameSize > 0 &&
                     m_sound->codecpar->frame_size == grid.frameSize;
        m_grid = grid;
        return grid;
    }

    // Whether the container can be sought: a seek before `sample` lands at or before it.
    bool seeksTo(std::int64_t sample) {
        m_used = true;
        if (!m_format->pb || !(m_format->pb->seekable & AVIO_SEEKABLE_NORMAL) || !seek(sample))
            return false;
        while (av_read_frame(m_format.get(), m_packet.get()) >= 0) {
            const bool ours = m_packet->stream_index == m_index;
            const std::int64_t pts = m_packet->pts;
            av_packet_unref(m_packet.get());
            if (ours)
                return pts != AV_NOPTS_VALUE && toSample(pts) <= sample;
        }
        return false;
    }

    // Decodes the sound from sample `from` (0: the start, else sought `preroll` samples early
    // and the sound before `from` decoded and dropped, so that the codec and the resampler
    // settle) up to sample `to` (negative: the end), into `sink`. A range the sound does not
    // reach to its end is made up with silence, unless it ends at the end. `keepGoing` is told
    // every packet's time (ms from the start); false from it stops the decoding and returns false.
    bool decode(std::int64_t from, std::int64_t to, std::int64_t preroll, const SampleSink& sink,
                const std::function<bool(double ms)>& keepGoing) {
        const bool sought = from > 0 || m_used;
        std::int64_t warmUpTs = std::numeric_limits<std::int64_t>::min();
        if (sought) {
            if (!seek(from - preroll))
                throw SoundDecodeError(m_path);
            avcodec_flush_buffers(m_decoder.get());
            if (from - preroll > 0)
                warmUpTs = toTs(from - preroll);
        }
        m_used = true;
        std::int64_t made = 0;
        const SampleSink cut = [&](std::span<const std::int16_t> samples) {
            if (to >= 0)
                samples = samples.first(std::size_t(std::min<std::int64_t>(
                    std::int64_t(samples.size()), std::max<std::int64_t>(0, to - from - made))));
            made += std::int64_t(samples.size());
            if (!samples.empty())
                sink(samples);
        };
        const auto full = [&] { return to >= 0 && made >= to - from; };
        Resampler resampler(cut, m_path, m_swr);
        bool first = true;
        const auto drain = [&] {
            while (!full() && avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
                std::int64_t at = 0;
                if (first) {
                    first = false;
                    const std::int64_t pts = m_frame->best_effort_timestamp;
                    if (pts == AV_NOPTS_VALUE)
                        at = sought ? from : 0; // nowhere to place it: where the range starts
                    else if (sought)
                        at = placeSought(*m_frame, pts);
                    else
                        at = toSample(pts);
                    at -= from;
                }
                resampler.add(*m_frame, at);
                av_frame_unref(m_frame.get());
            }
        };
        while (!full() && av_read_frame(m_format.get(), m_packet.get()) >= 0) {
            if (m_packet->stream_index == m_index) {
                if (m_packet->pts != AV_NOPTS_VALUE &&
                    !keepGoing(double(av_rescale_q(m_packet->pts - startIn(m_sound->time_base),
                                                   m_sound->time_base, AVRational{1, 1000})))) {
                    av_packet_unref(m_packet.get());
                    return false;
                }
                // A seek lands on the container's last index point before the time asked,
                // seconds early at times: what ends before the warm-up is not decoded.
                const bool early = m_packet->pts != AV_NOPTS_VALUE &&
                                   m_packet->pts + m_packet->duration < warmUpTs;
                // A packet the decoder refuses is skipped; the ones after it still count.
                if (!early && avcodec_send_packet(m_decoder.get(), m_packet.get()) >= 0)
                    drain();
            }
            av_packet_unref(m_packet.get());
        }
        if (!full()) {
            avcodec_send_packet(m_decoder.get(), nullptr);
            drain();
            resampler.finish();
        }
        if (to >= 0 && !full()) {
            const std::vector<std::int16_t> silence(std::size_t(to - from - made), 0);
            cut(silence);
        }
        return true;
    }

  private:
    // Where the first frame decoded after a seek goes, in 16 kHz samples from time 0, as if
    // the sound had been decoded from its start; trims the frame so that its first sample falls
    // on a 16 kHz sample, as the resampler's output then does from the start on. Frames follow
    // each other from the stream's first, ending a frame's size apart (a codec may trim the
    // first frame after a seek, as Opus does, never its end): a time stamp the container rounded
    // (Matroska and WebM keep milliseconds) is taken back to its frame's exact sample.
    std::int64_t placeSought(AVFrame& frame, std::int64_t pts) const {
        const int rate = frame.sample_rate;
        if (!m_grid.known || rate != m_grid.rate || frame.nb_samples <= 0 ||
            frame.ch_layout.nb_channels <= 0)
            return toSample(pts);
        const AVRational inRate{1, rate};
        // From the first frame's first sample, as one decoding from the start counts.
        std::int64_t in = av_rescale_q(pts, m_sound->time_base, inRate) -
                          av_rescale_q(m_grid.firstPts, m_sound->time_base, inRate);
        const std::int64_t size = m_grid.frameSize;
        const std::int64_t end = in + frame.nb_samples - m_grid.firstSize;
        const std::int64_t snapped =
            (end >= 0 ? (end + size / 2) / size : -((-end + size / 2) / size)) * size;
        // Both stamps rounded, either way (Matroska's milliseconds are cut short).
        const std::int64_t tick = 2 * (av_rescale_q(1, m_sound->time_base, inRate) + 1);
        if (std::abs(snapped - end) <= tick && 2 * tick < size)
            in += snapped - end;
        // Whole 16 kHz samples from the stream's first sample.
        const std::int64_t step = rate / std::gcd(rate, kSampleRate);
        std::int64_t drop = ((step - in % step) % step + step) % step;
        if (drop >= frame.nb_samples)
            drop = 0;
        if (drop > 0) {
            // Copied rather than pointed past: the resampler wants its input aligned.
            std::unique_ptr<AVFrame, FrameFreer> rest(av_frame_alloc());
            if (!rest)
                throw SoundDecodeError(m_path);
            rest->format = frame.format;
            rest->sample_rate = rate;
            rest->nb_samples = frame.nb_samples - int(drop);
            if (av_channel_layout_copy(&rest->ch_layout, &frame.ch_layout) < 0 ||
                av_frame_get_buffer(rest.get(), 0) < 0 ||
                av_samples_copy(rest->extended_data, frame.extended_data, 0, int(drop),
                                rest->nb_samples, frame.ch_layout.nb_channels,
                                AVSampleFormat(frame.format)) < 0)
                throw SoundDecodeError(m_path);
            av_frame_unref(&frame);
            av_frame_move_ref(&frame, rest.get());
            in += drop;
        }
        return toSample(m_grid.firstPts) + in * kSampleRate / rate;
    }

    std::int64_t startIn(AVRational timeBase) const {
        return av_rescale_q(m_start, AVRational{1, AV_TIME_BASE}, timeBase);
    }
    std::int64_t toSample(std::int64_t pts) const {
        return av_rescale_q(pts, m_sound->time_base, AVRational{1, kSampleRate}) -
               startIn(AVRational{1, kSampleRate});
    }
    // The stream's time stamp of 16 kHz sample `sample` (not before time 0).
    std::int64_t toTs(std::int64_t sample) const {
        return av_rescale_q(std::max<std::int64_t>(0, sample), AVRational{1, kSampleRate},
                            m_sound->time_base) +
               startIn(m_sound->time_base);
    }
    bool seek(std::int64_t sample) {
        return av_seek_frame(m_format.get(), m_index, toTs(sample), AVSEEK_FLAG_BACKWARD) >= 0;
    }

    std::string m_path;
    std::unique_ptr<AVFormatContext, FormatCloser> m_format;
    std::unique_ptr<AVCodecContext, CodecFreer> m_decoder;
    std::unique_ptr<AVPacket, PacketFreer> m_packet;
    std::unique_ptr<AVFrame, FrameFreer> m_frame;
    SwrSlot m_swr;
    AVStream* m_sound = nullptr;
    int m_index = -1;
    std::int64_t m_start = 0;
    SoundFacts m_facts;
    bool m_used = false; // read from already: decoding then seeks to where it starts
    Grid m_grid;
};

// The decoded sound handed from the decoding threads to the one that takes it, range by range.
class Relay {
  public:
    struct Range {
        std::int64_t from = 0;
        std::int64_t to = -1; // negative: the end
        std::deque<std::vector<std::int16_t>> buffers;
        std::int64_t waiting = 0; // samples in `buffers`
        bool done = false;
        std::exception_ptr failure;
    };

    Relay(std::string path, int stream, const DecodePlan& plan, std::vector<Range> ranges,
          OpenedSound&& opened, const OpenedSound::Grid& grid)
        : m_path(std::move(path)), m_stream(stream), m_ranges(std::move(ranges)), m_grid(grid),
          m_window(std::max(1u, plan.decoders) + 1),
          m_preroll(std::int64_t(plan.prerollSeconds * kSampleRate)) {
        m_cap = kWaitingSamples / std::int64_t(std::min<std::size_t>(m_window, m_ranges.size()));
        m_spare.emplace(std::move(opened));
        const unsigned threads = std::clamp<unsigned>(plan.decoders, 1u, unsigned(m_ranges.size()));
        try {
            for (unsigned k = 0; k < threads; ++k)
                m_threads.emplace_back([this] { work(); });
        } catch (...) {
            if (m_threads.empty()) {
                stop();
                throw;
            }
            // Fewer threads than planned still decode every range.
        }
    }

    ~Relay() { stop(); }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Hands each buffer of the sound, in order, to `take`; false when `take` stopped it.
    bool deliver(const std::function<bool(std::span<const std::int16_t>)>& take) {
        for (std::size_t i = 0; i < m_ranges.size(); ++i) {
            Range& range = m_ranges[i];
            for (;;) {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return !range.buffers.empty() || range.done; });
                if (range.buffers.empty()) {
                    if (range.failure)
                        std::rethrow_exception(range.failure);
                    m_reading = i + 1;
                    break;
                }
                std::vector<std::int16_t> buffer = std::move(range.buffers.front());
                range.buffers.pop_front();
                range.waiting -= std::int64_t(buffer.size());
                lock.unlock();
                m_changed.notify_all();
                if (!take(buffer))
                    return false;
            }
            m_changed.notify_all();
        }
        return true;
    }

  private:
    static constexpr std::int64_t kWaitingSamples = std::int64_t(8) << 20; // 16 MiB
    static constexpr std::size_t kBufferSamples = kSampleRate;             // a second

    void work() {
        std::optional<OpenedSound> sound;
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] {
                    return m_stop || m_next >= m_ranges.size() || m_next < m_reading + m_window;
                });
                if (m_stop || m_next >= m_ranges.size())
                    return;
                i = m_next++;
                // The movie sought once already is left to a range that seeks anyway.
                if (!sound && m_spare && (i > 0 || !m_spare->used()))
                    sound.swap(m_spare);
            }
            Range& range = m_ranges[i];
            try {
                if (!sound) {
                    sound.emplace(m_path, m_stream);
                    sound->setGrid(m_grid);
                }
                std::vector<std::int16_t> buffer;
                const auto handOver = [&] {
                    std::unique_lock lock(m_mutex);
                    m_changed.wait(lock, [&] { return m_stop || range.waiting < m_cap; });
                    range.waiting += std::int64_t(buffer.size());
                    range.buffers.push_back(std::move(buffer));
                    lock.unlock();
                    m_changed.notify_all();
                    buffer = {};
                    buffer.reserve(kBufferSamples);
                };
                buffer.reserve(kBufferSamples);
                sound->decode(
                    range.from, range.to, m_preroll,
                    [&](std::span<const std::int16_t> samples) {
                        buffer.insert(buffer.end(), samples.begin(), samples.end());
                        if (buffer.size() >= kBufferSamples)
                            handOver();
                    },
                    [&](double) { return !stopping(); });
                if (!buffer.empty())
                    handOver();
            } catch (...) {
                std::lock_guard lock(m_mutex);
                range.failure = std::current_exception();
            }
            {
                std::lock_guard lock(m_mutex);
                range.done = true;
            }
            m_changed.notify_all();
        }
    }

    bool stopping() const { return m_stopping.load(std::memory_order_relaxed); }

    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
            m_stopping = true;
        }
        m_changed.notify_all();
        for (std::thread& t : m_threads)
            t.join();
        m_threads.clear();
    }

    const std::string m_path;
    const int m_stream;
    std::vector<Range> m_ranges;
    const OpenedSound::Grid m_grid;
    const std::size_t m_window; // ranges decoded ahead of the one taken, that one included
    const std::int64_t m_preroll;
    std::int64_t m_cap = 0;             // samples waiting in one range at most
    std::optional<OpenedSound> m_spare; // the movie as the caller opened it, for one thread
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;    // the next range to decode
    std::size_t m_reading = 0; // the range being taken
    bool m_stop = false;
    std::atomic<bool> m_stopping{false}; // m_stop, read without the lock while decoding
    std::vector<std::thread> m_threads;
};

} // namespace

bool DecodeSound(const std::string& path, int stream, const SampleSink& sink,
                 const KeepGoing& keepGoing, SoundFacts& facts) {
    OpenedSound sound(path, stream);
    facts = sound.facts();
    const double lengthMs = facts.lengthMs;
    double nextReportMs = 0;
    const bool whole = sound.decode(0, -1, 0, sink, [&](double ms) {
        if (lengthMs <= 0 || ms < nextReportMs)
            return true;
        nextReportMs = ms + 1000.0;
        return keepGoing(std::clamp(ms / lengthMs, 0.0, 1.0));
    });
    return whole && keepGoing(1.0);
}

DecodePlan DecodePlan::ForJobs(unsigned jobs) {
    // Decoding is most of the work; the detector that takes the sound needs a fifth of a core.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    DecodePlan plan;
    plan.decoders = std::max(1u, cores / std::max(1u, jobs));
    return plan;
}

bool DecodeSoundAside(const std::string& path, int stream, const SampleSink& sink,
                      const KeepGoing& keepGoing, SoundFacts& facts, const DecodePlan& plan) {
    OpenedSound sound(path, stream);
    facts = sound.facts();
    const std::int64_t total = std::int64_t(facts.lengthMs * kSampleRate / 1000.0);
    const std::int64_t rangeSamples =
        std::max<std::int64_t>(kSampleRate, std::int64_t(plan.rangeSeconds * kSampleRate));
    std::vector<Relay::Range> ranges(1);
    OpenedSound::Grid grid;
    if (plan.decoders >= 2 && facts.lengthMs >= plan.shortestSeconds * 1000.0 &&
        total > rangeSamples && ((grid = sound.learnGrid()), sound.seeksTo(total / 2))) {
        ranges.front().to = rangeSamples;
        while (ranges.back().to + rangeSamples < total)
            ranges.push_back({ranges.back().to, ranges.back().to + rangeSamples, {}, 0, false, {}});
        ranges.push_back({ranges.back().to, -1, {}, 0, false, {}});
    }
    Relay relay(path, stream, plan, std::move(ranges), std::move(sound), grid);
    std::int64_t taken = 0;
    if (total > 0 && !keepGoing(0.0))
        return false;
    const bool whole = relay.deliver([&](std::span<const std::int16_t> samples) {
        sink(samples);
        taken += std::int64_t(samples.size());
        return total <= 0 || keepGoing(std::clamp(double(taken) / double(total), 0.0, 1.0));
    });
    return whole && keepGoing(1.0);
}

} // namespace velkar::autosync
