#include "app/kgl_render.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/kgl_show.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_audio_stream.h"
#include "video/kgl_video_encoder.h"

namespace kgl {

namespace {

constexpr int kStoppedExit = 130;  // as a shell reports a command ended by Ctrl+C
constexpr int kBarWidth = 30;
constexpr double kRedrawSeconds = 0.25;  // the terminal's progress bar, at most 4 times a second

volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) {
    gInterrupted = 1;
}

// Ctrl+C (and a polite kill) end the render after the frame being drawn, so the file is finished.
void catchInterrupt() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

int usageError(const std::string& text) {
    std::fprintf(stderr, "kgl render: %s\n", text.c_str());
    return kUsageExit;
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", s);
    return text;
}

std::string clockTime(double s) {
    const long total = s > 0.0 && s < 1e7 ? static_cast<long>(s + 0.5) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

// The output file can be made: its temporary name is created and removed again.
bool checkWritable(const std::string& path, std::string& error) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = "'" + path + "' is a folder";
        return false;
    }
    const std::string temp = VideoEncoder::temporaryPath(path);
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "cannot write '" + temp + "' (" + std::strerror(errno) + ")";
        return false;
    }
    std::fclose(f);
    std::remove(temp.c_str());
    return true;
}

// Progress on stderr: a bar redrawn in place on a terminal, else one line per 10 %.
class Progress {
public:
    void start(int64_t total) {
        total_ = total > 0 ? total : 1;
        tty_ = ::isatty(STDERR_FILENO) != 0;
        began_ = Clock::now();
        lastDraw_ = began_;
    }
    void update(int64_t done) {
        const auto now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - began_).count();
        const double fps = elapsed > 0.0 ? done / elapsed : 0.0;
        const double left = fps > 0.0 ? (total_ - done) / fps : 0.0;
        const int percent = static_cast<int>(done * 100 / total_);
        if (tty_) {
            if (done < total_ && std::chrono::duration<double>(now - lastDraw_).count() < kRedrawSeconds)
                return;
            lastDraw_ = now;
            char bar[kBarWidth + 1];
            const int filled = static_cast<int>(done * kBarWidth / total_);
            for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
            bar[kBarWidth] = '\0';
            std::fprintf(stderr, "\r[%s] %3d%%  %lld/%lld frames  %.1f fps  %s left ", bar, percent,
                         static_cast<long long>(done), static_cast<long long>(total_), fps,
                         clockTime(left).c_str());
            if (done >= total_) std::fputc('\n', stderr);
            drawn_ = done < total_;
        } else if (percent / 10 > decile_) {
            decile_ = percent / 10;
            std::fprintf(stderr, "kgl render: %d%% (%lld/%lld frames, %.1f fps, %s left)\n", percent,
                         static_cast<long long>(done), static_cast<long long>(total_), fps,
                         clockTime(left).c_str());
        }
    }
    // Ends an unfinished bar's line before another message.
    void endLine() {
        if (drawn_) std::fputc('\n', stderr);
        drawn_ = false;
    }
    double fps(int64_t done) const {
        const double elapsed = std::chrono::duration<double>(Clock::now() - began_).count();
        return elapsed > 0.0 ? done / elapsed : 0.0;
    }

private:
    using Clock = std::chrono::steady_clock;
    int64_t total_ = 1;
    bool tty_ = false;
    bool drawn_ = false;
    int decile_ = 0;
    Clock::time_point began_;
    Clock::time_point lastDraw_;
};

// Reads every frame of the range back from the window and hands it, with the music that plays
// during it, to the encoder.
class Recorder : public ShowRecorder {
public:
    Recorder(const RenderOptions& o, int pictureWidth, int pictureHeight)
        : options_(o), pictureWidth_(pictureWidth), pictureHeight_(pictureHeight) {}

    int width() const override { return pictureWidth_; }
    int height() const override { return pictureHeight_; }

    bool begin(DemoEngine& engine) override {
        if (gInterrupted) return false;
        SoundSystem& sound = engine.sound;
        const bool music = engine.config.useMp3 && sound.lengthKnown && sound.sampleRate > 0;
        double end = options_.end;
        if (music) {
            // The clock of a fixed-step run decodes nothing: the encoder decodes the music itself.
            uint32_t decodedRate = 0, decodedChannels = 0;
            std::string reason;
            if (!AudioStream::decodeMp3(engine.config.mp3FileName, music_, decodedRate, decodedChannels,
                                        reason)) {
                return fail(1, "the music's samples are not at hand (" + reason + ")");
            }
            pcm_ = &music_;
            channels_ = (sound.channelFlags & SoundSystem::kFlagMono) ? 1 : 2;
            rate_ = sound.sampleRate;
            base_ = sound.Position();
            const size_t frameBytes = channels_ * 2;
            if (pcm_->size() < base_ || pcm_->size() != sound.lengthBytes) {
                return fail(1, "the music's samples are not at hand");
            }
            const double musicSeconds = static_cast<double>((pcm_->size() - base_) / frameBytes) / rate_;
            if (options_.start >= musicSeconds) {
                return fail(kUsageExit, "--start " + seconds(options_.start) +
                                            " is past the end of the music (" + seconds(musicSeconds) +
                                            " s)");
            }
            if (end < 0.0 || end > musicSeconds) end = musicSeconds;
        } else if (end < 0.0) {
            return fail(kUsageExit, "the show has no music to end it: give --end");
        }
        range_ = framesOf(options_.start, end, options_.fps);
        if (range_.end <= range_.first) {
            return fail(kUsageExit,
                        "no frame starts between --start and --end at " + seconds(options_.fps) + " fps");
        }
        VideoSettings v;
        v.path = options_.output;
        v.width = options_.width;
        v.height = options_.height;
        v.pictureWidth = pictureWidth_;
        v.pictureHeight = pictureHeight_;
        const AVRationalLike r = rateFraction(options_.fps);
        v.rateNum = r.num;
        v.rateDen = r.den;
        v.quality = options_.quality;
        v.audioRate = music ? static_cast<int>(rate_) : 0;
        v.audioChannels = music ? static_cast<int>(channels_) : 0;
        std::string error;
        if (!encoder_.open(v, error)) return fail(1, error);
        pixels_.assign(static_cast<size_t>(pictureWidth_) * pictureHeight_ * 3, 0);
        nextSample_ = sampleOfFrame(range_.first, options_.fps, rate_);
        seekTarget_ = firstFramePosition(sound);
        began_ = true;
        return true;
    }

    uint32_t seekTarget() const override { return seekTarget_; }

    bool frameDrawn(int64_t frame) override {
        if (gInterrupted) {
            stopped_ = true;
            return false;
        }
        if (frame < range_.first) return true;
        if (frame == range_.first)
            progress_.start(range_.end - range_.first);  // speed of encoded frames only
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, pictureWidth_, pictureHeight_, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
        std::string error;
        if (!encoder_.addPicture(pixels_.data(), error) || !addMusicUntil(frame + 1, error)) {
            fail(1, error);
            return false;
        }
        progress_.update(frame + 1 - range_.first);
        return frame + 1 < range_.end;
    }

    // The exit status of the whole render, once the show has stopped.
    int finish(int showStatus) {
        progress_.endLine();
        if (!began_) return status_ != 0 ? status_ : showStatus != 0 ? showStatus : 1;
        if (status_ != 0) {
            encoder_.abandon();
            return status_;
        }
        const int64_t frames = encoder_.picturesWritten();
        if (stopped_ && frames == 0) {
            encoder_.abandon();
            std::fprintf(stderr, "kgl render: stopped before the first frame; nothing written\n");
            return kStoppedExit;
        }
        std::string error;
        if (!encoder_.finish(error)) {
            std::fprintf(stderr, "kgl render: %s\n", error.c_str());
            return 1;
        }
        const double duration = frames / options_.fps;
        if (stopped_) {
            std::fprintf(stderr, "kgl render: stopped; %s holds the first %lld frames (%s s)\n",
                         options_.output.c_str(), static_cast<long long>(frames), seconds(duration).c_str());
            return kStoppedExit;
        }
        std::printf("kgl render: wrote %s: %lld frames (%s s) at %.1f frames per second\n",
                    options_.output.c_str(), static_cast<long long>(frames), seconds(duration).c_str(),
                    progress_.fps(frames));
        return 0;
    }

private:
    struct AVRationalLike {
        int num;
        int den;
    };

    // F as a fraction num/den, exact for whole rates and for rates such as 29.97.
    static AVRationalLike rateFraction(double fps) {
        for (int den = 1; den <= 1000; den *= 10) {
            const double num = fps * den;
            if (std::fabs(num - std::round(num)) < 1e-6 && num < 1e9)
                return {static_cast<int>(std::round(num)), den};
        }
        return {static_cast<int>(std::round(fps * 1000.0)), 1000};
    }

    // A music position between the ones of the frames before and at the range's first frame, so
    // the seek stops on that frame whatever the clock's rounding; 0 for a range from the start.
    uint32_t firstFramePosition(SoundSystem& sound) const {
        if (range_.first <= 0) return 0;
        const uint32_t rate = sound.sampleRate > 0 ? sound.sampleRate : AudioStream::kSilentRate;
        const uint64_t frameBytes = (sound.channelFlags & SoundSystem::kFlagMono) ? 2 : 4;
        const uint64_t at = sampleOfFrame(range_.first, options_.fps, rate);
        const uint64_t before = sampleOfFrame(range_.first - 1, options_.fps, rate);
        const uint64_t bytes = sound.Position() + (before + at + 1) / 2 * frameBytes;
        return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
    }

    // Hands the encoder the music up to the sample that plays with `frame`.
    bool addMusicUntil(int64_t frame, std::string& error) {
        if (!pcm_) return true;
        const size_t frameBytes = channels_ * 2;
        const uint64_t available = (pcm_->size() - base_) / frameBytes;
        uint64_t to = sampleOfFrame(frame, options_.fps, rate_);
        if (to > available) to = available;
        if (to <= nextSample_) return true;
        const auto* samples =
            reinterpret_cast<const int16_t*>(pcm_->data() + base_ + nextSample_ * frameBytes);
        const size_t count = static_cast<size_t>(to - nextSample_);
        nextSample_ = to;
        return encoder_.addAudio(samples, count, error);
    }

    bool fail(int status, const std::string& text) {
        progress_.endLine();
        std::fprintf(stderr, "kgl render: %s\n", text.c_str());
        status_ = status;
        return false;
    }

    const RenderOptions& options_;
    int pictureWidth_;
    int pictureHeight_;
    VideoEncoder encoder_;
    Progress progress_;
    FrameRange range_;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> music_;  // the whole music decoded, for the audio track
    const std::vector<uint8_t>* pcm_ = nullptr;
    uint32_t channels_ = 2;
    uint32_t rate_ = 0;
    uint32_t base_ = 0;  // the music's byte position at frame 0
    uint64_t nextSample_ = 0;
    uint32_t seekTarget_ = 0;
    bool began_ = false;
    bool stopped_ = false;
    int status_ = 0;
};

}  // namespace

FrameRange framesOf(double start, double end, double fps) {
    // A frame at k/F belongs to [start, end); the tiny slack keeps 3.0 s at 25 fps at 75 frames.
    FrameRange r;
    r.first = static_cast<int64_t>(std::ceil(start * fps - 1e-9));
    r.end = static_cast<int64_t>(std::ceil(end * fps - 1e-9));
    if (r.end < r.first) r.end = r.first;
    return r;
}

uint64_t sampleOfFrame(int64_t frame, double fps, uint32_t sampleRate) {
    // The fixed clock counts whole sample frames of the time elapsed, with the same bias.
    const double ms = static_cast<double>(frame) * (1000.0 / fps);
    return ms > 0.0 ? static_cast<uint64_t>(ms * sampleRate / 1000.0 + 1e-3) : 0;
}

void pictureSize(int width, int height, Aspect aspect, int& pictureWidth, int& pictureHeight) {
    pictureWidth = width;
    pictureHeight = height;
    if (aspect == Aspect::Stretch || static_cast<int64_t>(width) * 3 == static_cast<int64_t>(height) * 4)
        return;
    if (static_cast<int64_t>(width) * 3 > static_cast<int64_t>(height) * 4) {
        pictureWidth = (height * 4 / 3) & ~1;
    } else {
        pictureHeight = (width * 3 / 4) & ~1;
    }
}

int runRender(const RenderOptions& in) {
    RenderOptions o = in;
    if (!VideoEncoder::containerOf(o.output)) {
        return usageError("'" + o.output + "': unknown extension (use .mp4 or .mkv)");
    }
    if (o.end >= 0.0 && o.start >= o.end) {
        return usageError("--start " + seconds(o.start) + " is not before --end " + seconds(o.end));
    }
    o.output = absolutePath(o.output);  // before the show changes into its folder
    std::string error;
    if (!checkWritable(o.output, error)) return usageError(error);
    int pictureWidth = 0;
    int pictureHeight = 0;
    pictureSize(o.width, o.height, o.aspect, pictureWidth, pictureHeight);

    // Headless unless the caller chose a video driver.
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    catchInterrupt();
    ShowOptions show;
    show.dataDir = o.dataDir;
    show.noDialog = true;
    show.run.batch = true;
    show.run.fullscreen = 0;
    show.run.vsync = false;
    show.run.fixedFps = o.fps;
    Recorder recorder(o, pictureWidth, pictureHeight);
    const int status = runShow(show, &recorder);
    return recorder.finish(status);
}

}  // namespace kgl
