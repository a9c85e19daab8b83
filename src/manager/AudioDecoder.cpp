#include "AudioDecoder.h"

#include "CodecGate.h"
#include "FfmpegParts.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using namespace FfmpegParts;

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void PutLE(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The 44-byte header of a PCM WAV file holding dataBytes of 16-bit samples.
std::string WavHeader(int channels, int rate, uint32_t dataBytes) {
    std::string h = "RIFF";
    PutLE(h, 36 + dataBytes, 4);
    h += "WAVEfmt ";
    PutLE(h, 16, 4);
    PutLE(h, 1, 2); // PCM
    PutLE(h, uint32_t(channels), 2);
    PutLE(h, uint32_t(rate), 4);
    PutLE(h, uint32_t(rate * channels * 2), 4);
    PutLE(h, uint32_t(channels * 2), 2);
    PutLE(h, 16, 2);
    h += "data";
    PutLE(h, dataBytes, 4);
    return h;
}

class TDecoding {
public:
    TDecoding(const std::string& sourceName, const std::atomic<uint8_t>* cancel)
        : name_(sourceName), cancel_(cancel) {}

    void Run(const std::string& source, const std::string& target) {
        OpenInput(source);
        out_.reset(std::fopen(target.c_str(), "wb"));
        if (!out_)
            Fail(std::string("cannot create the WAV file (") + std::strerror(errno) + ")");
        Write(WavHeader(channels_, dec_->sample_rate, 0));
        Pump();
        if (dataBytes_ == 0)
            Fail("it holds no audio that can be decoded");
        // The sizes are known only now.
        if (std::fseek(out_.get(), 0, SEEK_SET) != 0)
            Fail("cannot write the WAV file");
        Write(WavHeader(channels_, dec_->sample_rate, uint32_t(dataBytes_)));
        if (std::fclose(out_.release()) != 0)
            Fail("cannot write the WAV file");
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw ECodecGateError(Format("Cannot decode %s: %s", {name_, why}));
    }
    void Check(int code, const std::string& what) const {
        if (code < 0)
            Fail(what + " (" + AvError(code) + ")");
    }
    void Write(const std::string& bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), out_.get()) != bytes.size())
            Fail("cannot write the WAV file");
    }

    void OpenInput(const std::string& source) {
        static const TInputWords words = {
            "not a readable audio file", "it holds no audio it can decode", "bad audio parameters",
            "cannot decode its audio", "its audio has no channels or no sample rate"};
        OpenAudioInput(in_, dec_, streamIndex_, source, nullptr, words,
                       [this](const std::string& why) { Fail(why); });
        channels_ = std::min(dec_->ch_layout.nb_channels, 2);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, channels_);
        SwrContext* swr = nullptr;
        const int made =
            swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, dec_->sample_rate,
                                &dec_->ch_layout, dec_->sample_fmt, dec_->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        Check(made, "cannot set up the resampler");
        swr_.reset(swr);
        Check(swr_init(swr), "cannot set up the resampler");
    }

    void Pump() {
        std::unique_ptr<AVPacket, TPacketFreer> packet(av_packet_alloc());
        std::unique_ptr<AVFrame, TFrameFreer> frame(av_frame_alloc());
        if (!packet || !frame)
            Fail("out of memory");
        for (;;) {
            if (cancel_ && cancel_->load())
                throw EAbort("Decoding stopped");
            const int r = av_read_frame(in_.get(), packet.get());
            if (r == AVERROR_EOF)
                break;
            Check(r, "cannot read the file");
            if (packet->stream_index == streamIndex_)
                Check(avcodec_send_packet(dec_.get(), packet.get()), "cannot decode its audio");
            av_packet_unref(packet.get());
            Drain(frame.get());
        }
        Check(avcodec_send_packet(dec_.get(), nullptr), "cannot decode its audio");
        Drain(frame.get());
        Convert(nullptr, 0);
    }

    void Drain(AVFrame* frame) {
        for (;;) {
            const int r = avcodec_receive_frame(dec_.get(), frame);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            Check(r, "cannot decode its audio");
            Convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame);
        }
    }

    // Converts (or, with no input, flushes) samples into 16-bit interleaved and writes them.
    void Convert(const uint8_t** data, int samples) {
        const int room = swr_get_out_samples(swr_.get(), samples);
        Check(room, "cannot resample");
        if (room == 0)
            return;
        buffer_.resize(size_t(room) * size_t(channels_) * 2);
        uint8_t* out = buffer_.data();
        const int made = swr_convert(swr_.get(), &out, room, data, samples);
        Check(made, "cannot resample");
        const size_t bytes = size_t(made) * size_t(channels_) * 2;
        if (dataBytes_ + bytes > 0xFFFFFFFFull - 36)
            Fail("it is too long for a WAV file");
        if (bytes > 0 && std::fwrite(buffer_.data(), 1, bytes, out_.get()) != bytes)
            Fail("cannot write the WAV file");
        dataBytes_ += bytes;
    }

    std::string name_;
    const std::atomic<uint8_t>* cancel_;
    std::unique_ptr<AVFormatContext, TInputCloser> in_;
    std::unique_ptr<AVCodecContext, TCodecFreer> dec_;
    std::unique_ptr<SwrContext, TSwrFreer> swr_;
    std::unique_ptr<std::FILE, TFileCloser> out_;
    std::vector<uint8_t> buffer_;
    int streamIndex_ = -1;
    int channels_ = 2;
    uint64_t dataBytes_ = 0;
};

} // namespace

void DecodeToWav(const std::string& linuxSource, const std::string& linuxTarget,
                 const std::string& sourceName, const std::atomic<uint8_t>* cancel) {
    // The libraries' own chatter would reach the terminal; failures come back as codes.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
    TDecoding(sourceName, cancel).Run(linuxSource, linuxTarget);
}
