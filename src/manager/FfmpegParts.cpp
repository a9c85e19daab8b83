#include "FfmpegParts.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace FfmpegParts {

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void OpenAudioInput(TInput& input, TCodec& decoder, int& streamIndex, const std::string& source,
                    const AVInputFormat* format, const TInputWords& words,
                    const std::function<void(const std::string&)>& fail) {
    auto check = [&fail](int code, const char* what) {
        if (code < 0)
            fail(std::string(what) + " (" + AvError(code) + ")");
    };
    AVFormatContext* in = nullptr;
    check(avformat_open_input(&in, source.c_str(), format, nullptr), words.Unreadable);
    input.reset(in);
    check(avformat_find_stream_info(in, nullptr), words.Unreadable);
    const AVCodec* codec = nullptr;
    streamIndex = av_find_best_stream(in, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    check(streamIndex, words.NoAudio);
    decoder.reset(avcodec_alloc_context3(codec));
    if (!decoder)
        fail("out of memory");
    check(avcodec_parameters_to_context(decoder.get(), in->streams[streamIndex]->codecpar),
          words.BadParameters);
    check(avcodec_open2(decoder.get(), codec, nullptr), words.CannotDecode);
    if (decoder->ch_layout.nb_channels <= 0 || decoder->sample_rate <= 0)
        fail(words.NoChannels);
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = decoder->ch_layout.nb_channels;
        av_channel_layout_uninit(&decoder->ch_layout);
        av_channel_layout_default(&decoder->ch_layout, channels);
    }
}

} // namespace FfmpegParts
