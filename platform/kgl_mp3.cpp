#include "platform/kgl_mp3.h"

#include "platform/kgl_audio_stream.h"

namespace kgl {

namespace {

// Every rate the decoder knows, mono or stereo, always signed 16-bit.
void acceptSigned16(mpg123_handle* mh) {
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
}

}  // namespace

bool openMp3Decoder(mpg123_handle* mh, const char* path, long& rate, int& channels, std::string& reason) {
    if (!mh) {
        reason = "cannot create an MP3 decoder";
        return false;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    acceptSigned16(mh);
    int enc = 0;
    if (mpg123_open(mh, path) != MPG123_OK || mpg123_getformat(mh, &rate, &channels, &enc) != MPG123_OK) {
        reason = mpg123_strerror(mh);
        return false;
    }
    return true;
}

bool AudioStream::decodeMp3(const char* path, std::vector<uint8_t>& pcm, uint32_t& rate, uint32_t& channels,
                            std::string& reason) {
    pcm.clear();
    Mpg123Handle dec;
    mpg123_handle* mh = dec.handle;
    long r = 0;
    int ch = 0;
    if (!openMp3Decoder(mh, path, r, ch, reason)) return false;
    const off_t frames = mpg123_length(mh);
    if (frames > 0 && static_cast<uint64_t>(frames) * ch * 2 <= kMaxMusicBytes) {
        pcm.reserve(static_cast<size_t>(frames) * ch * 2);
    }
    unsigned char buf[65536];
    for (;;) {
        size_t done = 0;
        const int rc = mpg123_read(mh, buf, sizeof buf, &done);
        if (done > kMaxMusicBytes - pcm.size()) {
            reason = "longer than the 1 GiB of decoded audio a show may have";
            pcm.clear();
            return false;
        }
        pcm.insert(pcm.end(), buf, buf + done);
        if (rc == MPG123_DONE) break;
        if (rc == MPG123_NEW_FORMAT) {
            long r2 = 0;
            int ch2 = 0;
            int enc2 = 0;
            mpg123_getformat(mh, &r2, &ch2, &enc2);
            if (r2 == r && ch2 == ch) continue;
            reason = "the sample rate or channel count changes inside the file";
        } else if (rc == MPG123_OK) {
            continue;
        } else {
            reason = mpg123_strerror(mh);
        }
        pcm.clear();
        return false;
    }
    if (pcm.empty()) {
        reason = "no audio in the file";
        return false;
    }
    rate = static_cast<uint32_t>(r);
    channels = static_cast<uint32_t>(ch);
    return true;
}

bool AudioStream::scanMp3(const char* path, uint32_t& lengthBytes, uint32_t& rate, uint32_t& channels,
                          std::string& reason) {
    Mpg123Handle dec;
    mpg123_handle* mh = dec.handle;
    long r = 0;
    int ch = 0;
    if (!openMp3Decoder(mh, path, r, ch, reason)) return false;
    if (mpg123_scan(mh) != MPG123_OK) {
        reason = mpg123_strerror(mh);
        return false;
    }
    const off_t frames = mpg123_length(mh);
    if (frames <= 0) {
        reason = "no audio in the file";
        return false;
    }
    if (static_cast<uint64_t>(frames) * ch * 2 > kMaxMusicBytes) {
        reason = "longer than the 1 GiB of decoded audio a show may have";
        return false;
    }
    lengthBytes = static_cast<uint32_t>(frames) * static_cast<uint32_t>(ch) * 2;
    rate = static_cast<uint32_t>(r);
    channels = static_cast<uint32_t>(ch);
    return true;
}

}  // namespace kgl
