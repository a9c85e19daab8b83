// What the codec gate's FFmpeg users share: owners of the libraries' objects, the libraries'
// error text, and the opening of a file's audio for decoding.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <functional>
#include <memory>
#include <string>

namespace FfmpegParts {

struct TInputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct TCodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TSwrFreer {
    void operator()(SwrContext* c) const { swr_free(&c); }
};
struct TFrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct TPacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

using TInput = std::unique_ptr<AVFormatContext, TInputCloser>;
using TCodec = std::unique_ptr<AVCodecContext, TCodecFreer>;

std::string AvError(int code);

// How a failure to open is told: each caller names its file in its own words.
struct TInputWords {
    const char* Unreadable;    // the file cannot be opened or probed
    const char* NoAudio;       // no stream it can decode
    const char* BadParameters; // the stream's parameters are refused
    const char* CannotDecode;  // the decoder does not start
    const char* NoChannels;    // the stream has no channels or no sample rate
};

// Opens source (as the given format, or as whatever it is when format is null) and a decoder
// for its best audio stream, with a channel layout the resampler can take. fail receives the
// message and must not return.
void OpenAudioInput(TInput& input, TCodec& decoder, int& streamIndex, const std::string& source,
                    const AVInputFormat* format, const TInputWords& words,
                    const std::function<void(const std::string&)>& fail);

} // namespace FfmpegParts
