// Background music, the Tavrelle_BGM module.
#include "music/BackgroundMusic.h"

#include "base/Text.h"
#include "music/mci/MciInterpreter.h"
#include "music/mci/Sound.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace tav {

namespace {

std::int64_t LastApiResult = 0;

MultimediaApi* g_api = nullptr;

MultimediaApi& Api() { return g_api ? *g_api : SystemMultimedia(); }

// Sends a command whose reply nobody reads.
std::uint32_t SendWithoutReply(const std::string& command) {
    char none[1] = {'\0'};
    const std::uint32_t code = Api().SendString(command.c_str(), none, 0, nullptr);
    LastApiResult = code;
    return code;
}

// Sends a command with a reply buffer of length bytes; the reply is the
// buffer up to its first NUL.
std::string SendWithBuffer(const std::string& command, std::uint32_t length) {
    std::vector<char> buffer(length + 1, '\0');
    LastApiResult = Api().SendString(command.c_str(), buffer.data(), length, nullptr);
    return std::string(buffer.data(), strnlen(buffer.data(), length));
}

// The numeric value at the start of text, as the toolkit's Val reads it:
// blanks, a sign, digits and a decimal part; anything else gives 0.
double LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
            digits = true;
        } else if (c == '.' && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits || number.size() > 300) return 0;
    return std::strtod(number.c_str(), nullptr);
}

// Rounds to a signed 16-bit integer, halves to even; nothing when out of range.
std::optional<int> RoundToInt16(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -32768 && r <= 32767)) return std::nullopt;
    return static_cast<int>(r);
}

bool ContainsErr(const std::string& text) { return UpperAscii(text).find("ERR") != std::string::npos; }

void PlayNeighbourTrack(int step) {
    const auto n = RoundToInt16(LeadingNumber(QueryMci("status cdaudio current track")));
    if (!n) return;
    const std::string start = QueryMci("status cdaudio position track " + std::to_string(*n + step));
    PlayMciRange("cdaudio", start, "");
}

// "open " + path + " type MPEGVideo Alias MP3Play", blank-padded to
// kMp3OpenCommandLength bytes. A longer command is sent whole: a fixed buffer
// counts UTF-8 bytes, so it would cut a Japanese path of some 75 characters
// and the file would never open.
std::string Mp3OpenCommand(const std::string& path) {
    std::string command = "open " + path + " type MPEGVideo Alias MP3Play";
    if (command.size() < kMp3OpenCommandLength) command.resize(kMp3OpenCommandLength, ' ');
    return command;
}

}  // namespace

std::int32_t SendMciCommand(const std::string& command, std::string& text) {
    if (command.empty()) {
        text = kNoCommandText;
        return -1;
    }
    std::vector<char> reply(kMciReplyLength + 1, '\0');
    const std::uint32_t code = Api().SendString(command.c_str(), reply.data(), kMciReplyLength, nullptr);
    LastApiResult = code;
    if (code != 0) {
        std::vector<char> error(kMciErrorLength + 1, '\0');
        if (Api().GetErrorString(code, error.data(), kMciErrorLength))
            text.assign(error.data(), strnlen(error.data(), kMciErrorLength));
        else
            text = kNoErrorText;
        return static_cast<std::int32_t>(code);
    }
    text.assign(reply.data(), strnlen(reply.data(), kMciReplyLength));
    return 0;
}

std::string QueryMci(const std::string& command) {
    std::string text;
    const std::int32_t code = SendMciCommand(command, text);
    if (code != 0) return "Error:" + std::to_string(code);
    return text;
}

std::int32_t PlayMciRange(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    std::string text;
    return SendMciCommand(command, text);
}

void CdPlayer::Open() {
    // The device keeps its own time format, minutes:seconds:frames. Every
    // position read from it is only handed back to it, and tracks are asked for
    // by number, so no other format is set ("tmst" would be refused anyway).
    SendWithoutReply("open cdaudio");
}

void CdPlayer::Poll() {
    playbackOk_ = true;
    currentTrack_ = QueryMci("status cdaudio current track");
    if (ContainsErr(currentTrack_)) {
        playbackOk_ = false;
        return;
    }
    trackCount_ = QueryMci("status cdaudio number of tracks");
    if (ContainsErr(trackCount_)) {
        playbackOk_ = false;
        return;
    }
    position_ = QueryMci("status cdaudio position");
    length_ = QueryMci("status cdaudio length");
    const std::string mode = SendWithBuffer("status cdaudio mode", kCdModeLength).substr(0, 7);

    if (track_ > 0) {
        if (mode == "stopped" || LeadingNumber(currentTrack_) != track_) {
            // A data track holds no sound. Playing from it would land on the
            // next audio track, which the next poll would take for a disc that
            // moved on and restart every tick, so nothing is played.
            if (QueryMci("status cdaudio type track " + std::to_string(track_)) == "other") return;
            const std::string start = QueryMci("status cdaudio position track " + std::to_string(track_));
            PlayMciRange("cdaudio", start, "");
        }
    } else if (track_ == 0 && mode == "stopped") {
        PlayMciRange("cdaudio", "", "");
    }
}

void PlayPreviousTrack() { PlayNeighbourTrack(-1); }

void PlayNextTrack() { PlayNeighbourTrack(+1); }

void CdPlayer::Close() {
    SendWithoutReply("stop cdaudio");
    SendWithoutReply("close cdaudio");
}

void OpenAndPlayMp3(const std::string& path) {
    if (SendWithoutReply(Mp3OpenCommand(path)) == 0) SendWithoutReply("play MP3Play");
}

bool IsMp3Playing() { return SendWithBuffer("status MP3Play mode", kMp3ModeLength).substr(0, 7) == "playing"; }

void RestartMp3IfStopped() {
    if (IsMp3Playing()) return;
    SendWithoutReply("stop MP3Play");
    SendWithoutReply("play MP3Play from 0");
}

void CloseMp3() {
    SendWithoutReply("stop MP3Play");
    SendWithoutReply("close MP3Play");
}

void PlayWavLoop(const std::string& path) {
    const std::uint32_t devices = Api().WaveOutDeviceCount();
    LastApiResult = devices;
    if (devices == 0) return;
    LastApiResult = Api().PlaySound(path.c_str(), nullptr, SND_ASYNC | SND_LOOP);
}

void StopWav() { LastApiResult = Api().PlaySound(nullptr, nullptr, 0); }

MusicFileKind MusicFileKindOf(const std::string& path) {
    const std::string last = UpperAscii(path.size() > 3 ? path.substr(path.size() - 3) : path);
    if (last == "WAV") return MusicFileKind::Wav;
    if (last == "MP3") return MusicFileKind::Mp3;
    return MusicFileKind::Other;
}

void SetMultimediaApi(MultimediaApi* api) { g_api = api; }

std::int64_t LastMusicApiResult() { return LastApiResult; }

}  // namespace tav
