#include "autosync/MovieStreams.h"

#include "autosync/FfmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <limits>
#include <memory>

namespace velkar::autosync {

NotTextSubtitleStreamError::NotTextSubtitleStreamError(const std::string& path, int stream)
    : VelkarError("Stream " + std::to_string(stream) + " of " + path +
                  " is not a subtitle stream of text") {}

SubtitleDecodeError::SubtitleDecodeError(const std::string& path, int stream)
    : VelkarError("The subtitles of stream " + std::to_string(stream) + " of " + path +
                  " cannot be decoded") {}

namespace {

std::unique_ptr<AVFormatContext, FormatCloser> OpenMovie(const std::string& path) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0)
        throw FileOpenError(path);
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        throw FileOpenError(path);
    return format;
}

bool IsTextSubtitle(const AVCodecParameters& codec) {
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.codec_id);
    return codec.codec_type == AVMEDIA_TYPE_SUBTITLE && descriptor &&
           (descriptor->props & AV_CODEC_PROP_TEXT_SUB) != 0;
}

// How long a cue without an end of its own lasts when no other cue follows it, in ms.
constexpr double kLastOpenCueMs = 2000;

} // namespace

std::vector<StreamFacts> ProbeStreams(const std::string& path) {
    const auto format = OpenMovie(path);
    std::vector<StreamFacts> streams;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream& s = *format->streams[i];
        StreamFacts facts;
        facts.index = static_cast<int>(i);
        switch (s.codecpar->codec_type) {
        case AVMEDIA_TYPE_AUDIO:
            facts.kind = StreamKind::Sound;
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            facts.kind = StreamKind::Subtitle;
            break;
        default:
            facts.kind = StreamKind::Other;
            break;
        }
        if (const AVDictionaryEntry* language = av_dict_get(s.metadata, "language", nullptr, 0))
            facts.language = language->value;
        facts.isDefault = (s.disposition & AV_DISPOSITION_DEFAULT) != 0;
        if (const AVCodecDescriptor* d = avcodec_descriptor_get(s.codecpar->codec_id))
            facts.codec = d->name;
        facts.textSubtitle = IsTextSubtitle(*s.codecpar);
        streams.push_back(std::move(facts));
    }
    return streams;
}

std::vector<Interval> SubtitleTrackCues(const std::string& path, int stream) {
    const auto format = OpenMovie(path);
    if (stream < 0 || unsigned(stream) >= format->nb_streams ||
        !IsTextSubtitle(*format->streams[stream]->codecpar))
        throw NotTextSubtitleStreamError(path, stream);
    AVStream& chosen = *format->streams[stream];
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (int(i) != stream)
            format->streams[i]->discard = AVDISCARD_ALL;

    const AVCodec* codec = avcodec_find_decoder(chosen.codecpar->codec_id);
    if (!codec)
        throw SubtitleDecodeError(path, stream);
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), chosen.codecpar) < 0)
        throw SubtitleDecodeError(path, stream);
    decoder->pkt_timebase = chosen.time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        throw SubtitleDecodeError(path, stream);

    const double startMs =
        format->start_time == AV_NOPTS_VALUE ? 0.0 : double(format->start_time) / 1000.0;
    const double tickMs = av_q2d(chosen.time_base) * 1000.0;
    constexpr double kOpen = std::numeric_limits<double>::infinity();
    std::vector<Interval> cues;
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) {
            const std::int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            AVSubtitle subtitle{};
            int got = 0;
            // A packet that does not decode is one cue lost, not the whole track.
            if (pts != AV_NOPTS_VALUE &&
                avcodec_decode_subtitle2(decoder.get(), &subtitle, &got, packet.get()) >= 0 &&
                got) {
                if (subtitle.num_rects > 0) {
                    const double at = double(pts) * tickMs - startMs;
                    Interval cue{at + subtitle.start_display_time, kOpen};
                    // The container's duration is the cue's; decoders copy it into
                    // end_display_time only for some formats.
                    if (packet->duration > 0)
                        cue.end = at + double(packet->duration) * tickMs;
                    else if (subtitle.end_display_time > subtitle.start_display_time &&
                             subtitle.end_display_time != std::numeric_limits<std::uint32_t>::max())
                        cue.end = at + subtitle.end_display_time;
                    cues.push_back(cue);
                }
                avsubtitle_free(&subtitle);
            }
        }
        av_packet_unref(packet.get());
    }
    for (std::size_t k = 0; k < cues.size(); ++k)
        if (cues[k].end == kOpen)
            cues[k].end = k + 1 < cues.size() ? std::max(cues[k].start, cues[k + 1].start)
                                              : cues[k].start + kLastOpenCueMs;
    return cues;
}

} // namespace velkar::autosync
