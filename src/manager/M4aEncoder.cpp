#include "M4aEncoder.h"
#include "FfmpegParts.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace {

using namespace FfmpegParts;

struct TOutputCloser {
    void operator()(AVFormatContext* c) const {
        if (c->pb)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct TFifoFreer {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

class TEncoding {
public:
    TEncoding(const std::string& sourceName, const TCodecConvertOptions& options)
        : name_(sourceName), options_(options) {}

    void Run(const std::string& source, const std::string& target) {
        OpenInput(source);
        OpenOutput(target);
        Pump();
        Check(av_write_trailer(out_.get()), "cannot finish the M4A file");
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw ECodecGateError(Format("Cannot convert %s: %s", {name_, why}));
    }
    void Check(int code, const std::string& what) const {
        if (code < 0)
            Fail(what + " (" + AvError(code) + ")");
    }
    void CheckCancel() const {
        if (options_.Cancel && options_.Cancel->load())
            throw EAbort("Conversion stopped");
    }

    void OpenInput(const std::string& source) {
        static const TInputWords words = {"not a readable WAV file",
                                          "the WAV file holds no audio it can decode",
                                          "bad WAV parameters", "cannot decode the WAV audio",
                                          "the WAV file has no channels or no sample rate"};
        OpenAudioInput(in_, dec_, streamIndex_, source, av_find_input_format("wav"), words,
                       [this](const std::string& why) { Fail(why); });
    }

    int ChooseSampleRate(const AVCodec* codec) const {
        if (codec->supported_samplerates)
            for (const int* r = codec->supported_samplerates; *r; ++r)
                if (*r == dec_->sample_rate)
                    return *r;
        return 44100;
    }

    void OpenOutput(const std::string& target) {
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!aac)
            Fail("no AAC encoder in the FFmpeg libraries");
        AVFormatContext* out = nullptr;
        Check(avformat_alloc_output_context2(&out, nullptr, "ipod", target.c_str()),
              "cannot set up the M4A file");
        out_.reset(out);

        enc_.reset(avcodec_alloc_context3(aac));
        if (!enc_)
            Fail("out of memory");
        enc_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        enc_->sample_rate = ChooseSampleRate(aac);
        av_channel_layout_default(&enc_->ch_layout, std::min(dec_->ch_layout.nb_channels, 2));
        enc_->time_base = AVRational{1, enc_->sample_rate};
        enc_->profile = FF_PROFILE_AAC_LOW;
        if (options_.Mode == TCodecBitrateMode::Cbr) {
            enc_->bit_rate = int64_t(options_.BitrateKbps) * 1000;
        } else {
            enc_->flags |= AV_CODEC_FLAG_QSCALE;
            enc_->global_quality = static_cast<int>(
                std::lround(FF_QP2LAMBDA * CodecGate::VbrQualityScale(options_.VbrQualityIndex)));
        }
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            enc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* settings = nullptr;
        av_dict_set(&settings, "aac_coder", options_.HighQuality ? "twoloop" : "fast", 0);
        int opened = avcodec_open2(enc_.get(), aac, &settings);
        av_dict_free(&settings);
        Check(opened, "cannot start the AAC encoder");

        stream_ = avformat_new_stream(out, nullptr);
        if (!stream_)
            Fail("out of memory");
        Check(avcodec_parameters_from_context(stream_->codecpar, enc_.get()),
              "cannot set up the M4A file");
        stream_->time_base = enc_->time_base;
        Check(avio_open(&out->pb, target.c_str(), AVIO_FLAG_WRITE), "cannot create the M4A file");
        Check(avformat_write_header(out, nullptr), "cannot write the M4A file");

        SwrContext* swr = nullptr;
        Check(swr_alloc_set_opts2(&swr, &enc_->ch_layout, enc_->sample_fmt, enc_->sample_rate,
                                  &dec_->ch_layout, dec_->sample_fmt, dec_->sample_rate, 0,
                                  nullptr),
              "cannot set up the resampler");
        swr_.reset(swr);
        Check(swr_init(swr), "cannot set up the resampler");
        fifo_.reset(av_audio_fifo_alloc(enc_->sample_fmt, enc_->ch_layout.nb_channels,
                                        std::max(enc_->frame_size, 1024)));
        if (!fifo_)
            Fail("out of memory");
    }

    void Pump() {
        std::unique_ptr<AVPacket, TPacketFreer> packet(av_packet_alloc());
        std::unique_ptr<AVFrame, TFrameFreer> frame(av_frame_alloc());
        if (!packet || !frame)
            Fail("out of memory");
        for (;;) {
            CheckCancel();
            int r = av_read_frame(in_.get(), packet.get());
            if (r == AVERROR_EOF)
                break;
            Check(r, "cannot read the WAV file");
            if (packet->stream_index == streamIndex_)
                Check(avcodec_send_packet(dec_.get(), packet.get()), "cannot decode the WAV audio");
            av_packet_unref(packet.get());
            DrainDecoder(frame.get());
        }
        Check(avcodec_send_packet(dec_.get(), nullptr), "cannot decode the WAV audio");
        DrainDecoder(frame.get());
        Resample(nullptr, 0);
        EncodeFromFifo(true);
        Check(avcodec_send_frame(enc_.get(), nullptr), "cannot encode");
        DrainEncoder();
    }

    void DrainDecoder(AVFrame* frame) {
        for (;;) {
            int r = avcodec_receive_frame(dec_.get(), frame);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            Check(r, "cannot decode the WAV audio");
            Resample(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame);
            EncodeFromFifo(false);
        }
    }

    void Resample(const uint8_t** data, int samples) {
        int room = swr_get_out_samples(swr_.get(), samples);
        Check(room, "cannot resample");
        if (room == 0)
            return;
        uint8_t** buffer = nullptr;
        Check(av_samples_alloc_array_and_samples(&buffer, nullptr, enc_->ch_layout.nb_channels,
                                                 room, enc_->sample_fmt, 0),
              "out of memory");
        int made = swr_convert(swr_.get(), buffer, room, data, samples);
        int written =
            made > 0 ? av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(buffer), made) : 0;
        av_freep(&buffer[0]);
        av_freep(&buffer);
        Check(made, "cannot resample");
        Check(written, "out of memory");
    }

    void EncodeFromFifo(bool flush) {
        int frameSize = enc_->frame_size > 0 ? enc_->frame_size : 1024;
        while (av_audio_fifo_size(fifo_.get()) >= frameSize ||
               (flush && av_audio_fifo_size(fifo_.get()) > 0)) {
            int samples = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
            std::unique_ptr<AVFrame, TFrameFreer> frame(av_frame_alloc());
            if (!frame)
                Fail("out of memory");
            frame->nb_samples = samples;
            frame->format = enc_->sample_fmt;
            frame->sample_rate = enc_->sample_rate;
            Check(av_channel_layout_copy(&frame->ch_layout, &enc_->ch_layout), "out of memory");
            Check(av_frame_get_buffer(frame.get(), 0), "out of memory");
            if (av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), samples) !=
                samples)
                Fail("cannot buffer the audio");
            frame->pts = nextPts_;
            nextPts_ += samples;
            Check(avcodec_send_frame(enc_.get(), frame.get()), "cannot encode");
            DrainEncoder();
        }
    }

    void DrainEncoder() {
        std::unique_ptr<AVPacket, TPacketFreer> packet(av_packet_alloc());
        if (!packet)
            Fail("out of memory");
        for (;;) {
            int r = avcodec_receive_packet(enc_.get(), packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            Check(r, "cannot encode");
            av_packet_rescale_ts(packet.get(), enc_->time_base, stream_->time_base);
            packet->stream_index = stream_->index;
            Check(av_interleaved_write_frame(out_.get(), packet.get()),
                  "cannot write the M4A file");
        }
    }

    std::string name_;
    const TCodecConvertOptions& options_;
    std::unique_ptr<AVFormatContext, TInputCloser> in_;
    std::unique_ptr<AVFormatContext, TOutputCloser> out_;
    std::unique_ptr<AVCodecContext, TCodecFreer> dec_;
    std::unique_ptr<AVCodecContext, TCodecFreer> enc_;
    std::unique_ptr<SwrContext, TSwrFreer> swr_;
    std::unique_ptr<AVAudioFifo, TFifoFreer> fifo_;
    AVStream* stream_ = nullptr;
    int streamIndex_ = -1;
    int64_t nextPts_ = 0;
};

} // namespace

void EncodeWavToM4a(const std::string& linuxSource, const std::string& linuxTarget,
                    const std::string& sourceName, const TCodecConvertOptions& options) {
    // The libraries' own chatter would reach the terminal; failures come back as codes.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
    TEncoding(sourceName, options).Run(linuxSource, linuxTarget);
}
