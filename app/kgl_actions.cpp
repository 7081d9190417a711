// kgl actions export / import. Nothing is written unless the whole input reads without error;
// files are replaced through a temporary file, and the previous one is kept as NAME.bak.
#include "app/kgl_actions.h"

#include <cstdio>
#include <vector>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"
#include "common/kgl_replace_file.h"
#include "engine/kgl_action_names.h"
#include "platform/kgl_audio_stream.h"
#include "script/kgl_config.h"

namespace kgl {

namespace {

constexpr const char* kLog = "ACTIONS";
constexpr const char* kDefaultTrack = "escena/actions.bin";
constexpr const char* kDefaultText = "escena/actions.txt";

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string baseName(const std::string& folder) {
    std::string f = folder;
    while (!f.empty() && f.back() == '/') f.pop_back();
    const size_t slash = f.find_last_of('/');
    return slash == std::string::npos ? f : f.substr(slash + 1);
}

// The folder the show runs in, as a prefix ("" for the working directory).
std::string showFolderOf(const std::string& trackPath) {
    std::string folder = folderOf(trackPath);
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    if (baseName(folder) != "escena") return "";
    return folder.substr(0, folder.size() - std::string("escena").size());
}

std::string withExtension(const std::string& path, const char* ext) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

bool writeOut(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string why;
    if (replaceFile(path, bytes, true, why)) return true;
    logLine(kLog, path.c_str(), "%s; nothing written", why.c_str());
    return false;
}

}  // namespace

MusicFormat trackMusicFormat(const std::string& trackPath, const std::string& musicPath,
                             std::string& source) {
    MusicFormat format;
    std::string music = musicPath;
    if (music.empty()) {
        const std::string show = showFolderOf(trackPath);
        ConfigValues config;
        const std::string ini = show + "escena/Config.ini";
        if (!ReadConfig(ini.c_str(), config)) {
            source = "no " + ini + ": times at 44100 Hz, 2 channels";
            return format;
        }
        if (!config.useMp3 || !config.mp3FileName[0]) {
            source = ini + " plays no music: times at 44100 Hz, 2 channels";
            return format;
        }
        music = show + config.mp3FileName;
    }
    std::vector<uint8_t> pcm;
    uint32_t rate = 0, channels = 0;
    std::string why;
    if (!AudioStream::decodeMp3(music.c_str(), pcm, rate, channels, why) || rate == 0 ||
        (channels != 1 && channels != 2)) {
        source = music + " cannot be read (" + why + "): times at 44100 Hz, 2 channels";
        return format;
    }
    format.sampleRate = rate;
    format.channels = channels;
    format.lengthBytes = pcm.size() > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pcm.size());
    source = music + ": " + std::to_string(rate) + " Hz, " + std::to_string(channels) + " channel" +
             (channels == 1 ? "" : "s") + ", " + ApproximateTime(format.lengthBytes, format) + " long";
    return format;
}

int runActionsExport(const ActionsOptions& options) {
    const std::string in = options.input.empty() ? kDefaultTrack : options.input;
    const std::string out = options.output.empty() ? withExtension(in, ".txt") : options.output;
    std::vector<uint8_t> bytes;
    if (!readFile(in, bytes)) {
        logLine(kLog, in.c_str(), "cannot read the action track");
        return 1;
    }
    std::vector<TrackMark> marks;
    const size_t dropped = DecodeActionTrack(bytes, marks);
    if (dropped) {
        logLine(kLog, in.c_str(), "the last %zu bytes are not a whole mark; the show ignores them too",
                dropped);
    }
    std::string source;
    const MusicFormat format = trackMusicFormat(in, options.music, source);
    const std::string header = "# kgl action track, " + std::to_string(marks.size()) +
                               " marks: POSITION ACTION  # comment\n"
                               "# POSITION is MM:SS.mmm (music time) or @BYTES (exact byte position)\n"
                               "# music: " +
                               source + "\n";
    const std::string text = FormatActionText(marks, format, ActionName, header);
    if (out == "-") {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (!writeOut(out, std::vector<uint8_t>(text.begin(), text.end()))) return 1;
    std::fprintf(stderr, "%s: %zu marks written (music %s)\n", out.c_str(), marks.size(), source.c_str());
    return 0;
}

int runActionsImport(const ActionsOptions& options) {
    const std::string in = options.input.empty() ? kDefaultText : options.input;
    const std::string out = options.output.empty() ? withExtension(in, ".bin") : options.output;
    std::vector<uint8_t> text;
    if (!readFile(in, text)) {
        logLine(kLog, in.c_str(), "cannot read the text track");
        return 1;
    }
    std::string source;
    const MusicFormat format = trackMusicFormat(out, options.music, source);
    ParsedTrack track;
    const bool ok = ParseActionText(reinterpret_cast<const char*>(text.data()), text.size(), format, track);
    for (const TextIssue& w : track.warnings) {
        std::fprintf(stderr, "%s:%d:%d: warning: %s\n", in.c_str(), w.line, w.column, w.message.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "%s:%d:%d: error: %s; nothing written\n", in.c_str(), track.error.line,
                     track.error.column, track.error.message.c_str());
        return 1;
    }
    if (!writeOut(out, EncodeActionTrack(track.marks))) return 1;
    std::fprintf(stderr, "%s: %zu marks written (music %s)\n", out.c_str(), track.marks.size(),
                 source.c_str());
    return 0;
}

}  // namespace kgl
