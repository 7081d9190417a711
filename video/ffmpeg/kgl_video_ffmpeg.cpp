// The module kgl_video.so (see video/kgl_video_module.h): the H.264/AAC encoders and the MP4 or
// Matroska muxer behind VideoEncoder, the only code that includes FFmpeg.
#include "video/kgl_video_encoder.h"
#include "video/kgl_video_module.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <memory>

namespace kgl {

namespace {

constexpr int kAudioBitRate = 192000;
constexpr int kBestCrf = 12;   // quality 100
constexpr int kWorstCrf = 40;  // quality 1

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

// What VideoEncoder does, with FFmpeg (see kgl_video_encoder.h for each operation).
class FfmpegEncoder {
public:
    FfmpegEncoder() = default;
    virtual ~FfmpegEncoder();
    bool open(const VideoSettings& settings, std::string& error);
    bool addPicture(const uint8_t* rgb, std::string& error);
    bool addAudio(const int16_t* samples, size_t frames, std::string& error);
    bool finish(std::string& error);
    void abandon();
    int64_t picturesWritten() const;
    const char* videoCodecName() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

struct FfmpegEncoder::State {
    VideoSettings settings;
    std::string tempPath;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    int64_t pictures = 0;
    int64_t audioFrames = 0;  // sample frames sent to the audio encoder
    int soundFill = 0;        // sample frames waiting in `sound`
    bool headerWritten = false;
    bool fileOpen = false;

    ~State() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&sound);
        av_frame_free(&picture);
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        if (format) {
            if (fileOpen) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Moves every packet the encoder has ready into the file.
    bool drain(AVCodecContext* codec, AVStream* stream, std::string& error) {
        for (;;) {
            const int rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
            if (rc < 0) {
                error = "encoding failed (" + avError(rc) + ")";
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int w = av_interleaved_write_frame(format, packet);
            if (w < 0) {
                error = "cannot write (" + avError(w) + ")";
                return false;
            }
        }
    }

    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error) {
        const int rc = avcodec_send_frame(codec, frame);
        if (rc < 0 && rc != AVERROR_EOF) {
            error = "encoding failed (" + avError(rc) + ")";
            return false;
        }
        return drain(codec, stream, error);
    }

    bool sendSound(int frames, std::string& error) {
        sound->nb_samples = frames;
        sound->pts = audioFrames;
        audioFrames += frames;
        return send(audio, audioStream, sound, error);
    }
};

FfmpegEncoder::~FfmpegEncoder() {
    abandon();
}

int64_t FfmpegEncoder::picturesWritten() const {
    return s_ ? s_->pictures : 0;
}

const char* FfmpegEncoder::videoCodecName() const {
    return s_ && s_->video && s_->video->codec ? s_->video->codec->name : "";
}

namespace {

// libx264 first; any other H.264 encoder of the library when it is missing.
const AVCodec* findH264() {
    const AVCodec* c = avcodec_find_encoder_by_name("libx264");
    return c ? c : avcodec_find_encoder(AV_CODEC_ID_H264);
}

}  // namespace

bool FfmpegEncoder::open(const VideoSettings& in, std::string& error) {
    abandon();
    const char* container = VideoEncoder::containerOf(in.path);
    if (!container) {
        error = "unknown extension (use .mp4 or .mkv)";
        return false;
    }
    if (in.width <= 0 || in.height <= 0 || in.width % 2 || in.height % 2 || in.pictureWidth <= 0 ||
        in.pictureHeight <= 0 || in.pictureWidth > in.width || in.pictureHeight > in.height ||
        in.rateNum <= 0 || in.rateDen <= 0) {
        error = "bad video size or rate";
        return false;
    }
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not for our users
    s_.reset(new State);
    State& s = *s_;
    s.settings = in;
    s.tempPath = VideoEncoder::temporaryPath(in.path);
    if (avformat_alloc_output_context2(&s.format, nullptr, container, s.tempPath.c_str()) < 0 || !s.format) {
        error = "no muxer for this container";
        return false;
    }

    const AVCodec* h264 = findH264();
    if (!h264) {
        error = "the FFmpeg library has no H.264 encoder";
        return false;
    }
    s.videoStream = avformat_new_stream(s.format, nullptr);
    s.video = avcodec_alloc_context3(h264);
    if (!s.videoStream || !s.video) {
        error = "out of memory";
        return false;
    }
    AVCodecContext& v = *s.video;
    v.width = in.width;
    v.height = in.height;
    v.pix_fmt = AV_PIX_FMT_YUV420P;
    v.time_base = AVRational{in.rateDen, in.rateNum};
    v.framerate = AVRational{in.rateNum, in.rateDen};
    v.gop_size = 250;
    v.color_range = AVCOL_RANGE_MPEG;
    v.colorspace = in.height >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    const int q = in.quality < 1 ? 1 : in.quality > 100 ? 100 : in.quality;
    const int crf = kWorstCrf - (q - 1) * (kWorstCrf - kBestCrf) / 99;
    if (std::strcmp(h264->name, "libx264") == 0) {
        av_opt_set(v.priv_data, "preset", "medium", 0);
        av_opt_set_int(v.priv_data, "crf", crf, 0);
    } else {
        v.bit_rate = static_cast<int64_t>(in.width) * in.height * in.rateNum / in.rateDen * q / 400;
    }
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER) v.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(s.video, h264, nullptr);
    if (rc < 0) {
        error = std::string("cannot start the ") + h264->name + " encoder (" + avError(rc) + ")";
        return false;
    }
    avcodec_parameters_from_context(s.videoStream->codecpar, s.video);
    s.videoStream->time_base = v.time_base;
    s.videoStream->avg_frame_rate = v.framerate;

    if (in.audioRate > 0) {
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!aac) {
            error = "the FFmpeg library has no AAC encoder";
            return false;
        }
        s.audioStream = avformat_new_stream(s.format, nullptr);
        s.audio = avcodec_alloc_context3(aac);
        if (!s.audioStream || !s.audio) {
            error = "out of memory";
            return false;
        }
        AVCodecContext& a = *s.audio;
        a.sample_fmt = AV_SAMPLE_FMT_FLTP;
        a.sample_rate = in.audioRate;
        av_channel_layout_default(&a.ch_layout, in.audioChannels == 1 ? 1 : 2);
        a.bit_rate = kAudioBitRate;
        a.time_base = AVRational{1, in.audioRate};
        if (s.format->oformat->flags & AVFMT_GLOBALHEADER) a.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        rc = avcodec_open2(s.audio, aac, nullptr);
        if (rc < 0) {
            error = "cannot start the AAC encoder (" + avError(rc) + ")";
            return false;
        }
        avcodec_parameters_from_context(s.audioStream->codecpar, s.audio);
        s.audioStream->time_base = a.time_base;
        s.sound = av_frame_alloc();
        if (!s.sound) {
            error = "out of memory";
            return false;
        }
        s.sound->format = a.sample_fmt;
        s.sound->sample_rate = a.sample_rate;
        s.sound->nb_samples = a.frame_size > 0 ? a.frame_size : 1024;
        av_channel_layout_copy(&s.sound->ch_layout, &a.ch_layout);
        if (av_frame_get_buffer(s.sound, 0) < 0) {
            error = "out of memory";
            return false;
        }
    }

    s.picture = av_frame_alloc();
    s.packet = av_packet_alloc();
    if (!s.picture || !s.packet) {
        error = "out of memory";
        return false;
    }
    s.picture->format = AV_PIX_FMT_YUV420P;
    s.picture->width = in.width;
    s.picture->height = in.height;
    if (av_frame_get_buffer(s.picture, 0) < 0) {
        error = "out of memory";
        return false;
    }
    // Black once: the bars around a smaller picture are never written again.
    av_frame_make_writable(s.picture);
    for (int y = 0; y < in.height; ++y)
        std::memset(s.picture->data[0] + y * s.picture->linesize[0], 16, in.width);
    for (int p = 1; p < 3; ++p) {
        for (int y = 0; y < in.height / 2; ++y)
            std::memset(s.picture->data[p] + y * s.picture->linesize[p], 128, in.width / 2);
    }
    s.scaler =
        sws_getContext(in.pictureWidth, in.pictureHeight, AV_PIX_FMT_RGB24, in.pictureWidth & ~1,
                       in.pictureHeight & ~1, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!s.scaler) {
        error = "cannot set up the colour conversion";
        return false;
    }
    // Limited range, BT.601 or BT.709 as tagged above.
    const int* coefficients = sws_getCoefficients(in.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    sws_setColorspaceDetails(s.scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);

    rc = avio_open(&s.format->pb, s.tempPath.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
        error = "cannot write '" + s.tempPath + "' (" + avError(rc) + ")";
        return false;
    }
    s.fileOpen = true;
    rc = avformat_write_header(s.format, nullptr);
    if (rc < 0) {
        error = "cannot start the file (" + avError(rc) + ")";
        return false;
    }
    s.headerWritten = true;
    return true;
}

bool FfmpegEncoder::addPicture(const uint8_t* rgb, std::string& error) {
    if (!s_ || !s_->headerWritten) return false;
    State& s = *s_;
    const VideoSettings& in = s.settings;
    if (av_frame_make_writable(s.picture) < 0) {
        error = "out of memory";
        return false;
    }
    // Centred, on even offsets so the half-size chroma planes line up.
    const int x = ((in.width - in.pictureWidth) / 2) & ~1;
    const int y = ((in.height - in.pictureHeight) / 2) & ~1;
    uint8_t* dst[3];
    int dstStride[3];
    for (int p = 0; p < 3; ++p) {
        const int shift = p == 0 ? 0 : 1;
        dst[p] = s.picture->data[p] + (y >> shift) * s.picture->linesize[p] + (x >> shift);
        dstStride[p] = s.picture->linesize[p];
    }
    // Bottom-up rows: start at the last row and step backwards.
    const int rowBytes = in.pictureWidth * 3;
    const uint8_t* src[1] = {rgb + static_cast<size_t>(in.pictureHeight - 1) * rowBytes};
    const int srcStride[1] = {-rowBytes};
    sws_scale(s.scaler, src, srcStride, 0, in.pictureHeight, dst, dstStride);
    s.picture->pts = s.pictures++;
    return s.send(s.video, s.videoStream, s.picture, error);
}

bool FfmpegEncoder::addAudio(const int16_t* samples, size_t frames, std::string& error) {
    if (!s_ || !s_->headerWritten || !s_->audio) return true;
    State& s = *s_;
    const int channels = s.audio->ch_layout.nb_channels;
    const int capacity = s.sound->nb_samples > 0 ? s.sound->nb_samples : 1024;
    // nb_samples is lowered for a short last frame only, so the buffer keeps `frameSize` samples.
    const int frameSize = s.audio->frame_size > 0 ? s.audio->frame_size : capacity;
    for (size_t i = 0; i < frames; ++i) {
        if (s.soundFill == 0 && av_frame_make_writable(s.sound) < 0) {
            error = "out of memory";
            return false;
        }
        for (int c = 0; c < channels; ++c) {
            reinterpret_cast<float*>(s.sound->data[c])[s.soundFill] = samples[i * channels + c] / 32768.0f;
        }
        if (++s.soundFill == frameSize) {
            s.soundFill = 0;
            if (!s.sendSound(frameSize, error)) return false;
        }
    }
    return true;
}

bool FfmpegEncoder::finish(std::string& error) {
    if (!s_ || !s_->headerWritten) {
        error = "the file was not started";
        return false;
    }
    State& s = *s_;
    bool ok = true;
    if (s.audio && s.soundFill > 0) {
        const int n = s.soundFill;
        s.soundFill = 0;
        ok = s.sendSound(n, error);
    }
    ok = ok && s.send(s.video, s.videoStream, nullptr, error);
    if (ok && s.audio) ok = s.send(s.audio, s.audioStream, nullptr, error);
    if (ok) {
        const int rc = av_write_trailer(s.format);
        if (rc < 0) {
            error = "cannot finish the file (" + avError(rc) + ")";
            ok = false;
        }
    }
    s.fileOpen = false;
    if (avio_closep(&s.format->pb) < 0 && ok) {
        error = "cannot close the file";
        ok = false;
    }
    if (ok && std::rename(s.tempPath.c_str(), s.settings.path.c_str()) != 0) {
        error = "cannot rename '" + s.tempPath + "' to '" + s.settings.path + "'";
        ok = false;
    }
    if (!ok) std::remove(s.tempPath.c_str());
    s.headerWritten = false;
    s_.reset();
    return ok;
}

void FfmpegEncoder::abandon() {
    if (!s_) return;
    const bool created = s_->fileOpen || s_->headerWritten;
    const std::string temp = s_->tempPath;
    s_.reset();
    if (created) std::remove(temp.c_str());
}

}  // namespace kgl

extern "C" __attribute__((visibility("default"))) const kgl::VideoModule* kglVideoModule() {
    using kgl::FfmpegEncoder;
    static const kgl::VideoModule module = {
        kgl::kVideoModuleAbi,
        []() -> void* { return new FfmpegEncoder; },
        [](void* e) { delete static_cast<FfmpegEncoder*>(e); },
        [](void* e, const kgl::VideoSettings& settings, std::string& error) {
            return static_cast<FfmpegEncoder*>(e)->open(settings, error);
        },
        [](void* e, const uint8_t* rgb, std::string& error) {
            return static_cast<FfmpegEncoder*>(e)->addPicture(rgb, error);
        },
        [](void* e, const int16_t* samples, size_t frames, std::string& error) {
            return static_cast<FfmpegEncoder*>(e)->addAudio(samples, frames, error);
        },
        [](void* e, std::string& error) { return static_cast<FfmpegEncoder*>(e)->finish(error); },
        [](const void* e) { return static_cast<const FfmpegEncoder*>(e)->picturesWritten(); },
        [](const void* e) { return static_cast<const FfmpegEncoder*>(e)->videoCodecName(); },
    };
    return &module;
}
