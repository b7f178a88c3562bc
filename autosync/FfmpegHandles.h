#pragma once
// Owners of FFmpeg's objects: each std::unique_ptr deleter frees one kind the way FFmpeg asks.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace velkar::autosync {

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

} // namespace velkar::autosync
