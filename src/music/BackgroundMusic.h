// Background music of the slide show (the Tavrelle_BGM module): an audio CD,
// an MP3 file or a looped WAV file, all driven through the multimedia command
// strings and the system sound player (music/mci/MciInterpreter.h,
// music/mci/Sound.h).
//
// The module has no timers, clock or threads of its own; the saver window
// owns them and calls in from its user-interface thread:
//
//   Moment                 MusicMode 1 (CD)              MusicMode 2, WAV   MusicMode 2, MP3
//   window loads           cd.Open(); start the CD       PlayWavLoop(file)  OpenAndPlayMp3(file); start
//                          poll timer (200 ms)                              the MP3 timer (1000 ms)
//   CD poll timer tick     cd.Poll(); then enable the
//                          timer only if cd.PlaybackOk()
//   MP3 timer tick                                                          RestartMp3IfStopped()
//   Left arrow (key 37)    PlayPreviousTrack()           (ends the show)    (ends the show)
//   Right arrow (key 39)   PlayNextTrack()               (ends the show)    (ends the show)
//   show ends              if the CD poll timer is still StopWav()          CloseMp3()
//                          enabled: disable it, then
//                          cd.Close()
//
// The CD player `cd` is a CdPlayer the show owns. MusicFileKindOf tells WAV from MP3; MusicMode 0, or a file of any
// other kind, plays nothing at any moment. Both timers start disabled. Every failure is silent: the show goes on
// without music.
#pragma once

#include <cstdint>
#include <string>

namespace tav {

class MultimediaApi;

// Reply buffer of SendMciCommand and error-text buffer.
inline constexpr std::uint32_t kMciReplyLength = 512;
inline constexpr std::uint32_t kMciErrorLength = 256;
// Reply buffers of the CD and MP3 mode queries.
inline constexpr std::uint32_t kCdModeLength = 255;
inline constexpr std::uint32_t kMp3ModeLength = 30;
// The MP3 open command is blank-padded to this many bytes; a longer one is
// never cut.
inline constexpr std::size_t kMp3OpenCommandLength = 255;

inline constexpr const char* kNoCommandText = "コマンド文字列が指定されていません";
inline constexpr const char* kNoErrorText = "Error (文字列が取れません)";

// Sends command; text receives the reply, or the error text of a failure.
// An empty command gives -1 and kNoCommandText without sending anything.
std::int32_t SendMciCommand(const std::string& command, std::string& text);
// The reply of command, or "Error:" and the code when it fails.
std::string QueryMci(const std::string& command);
// Sends "play device [from f] [to t]", leaving out an empty from or to.
std::int32_t PlayMciRange(const std::string& device, const std::string& from, const std::string& to);

// The CD as a show plays it: the track it keeps playing and the replies of its
// latest poll.
class CdPlayer {
public:
    // track 0 restarts the whole disc whenever it has stopped; n > 0 keeps
    // track n playing (a data track n plays nothing).
    explicit CdPlayer(int track = 0) : track_(track) {}

    void Open();
    // One tick of the CD poll timer.
    void Poll();
    void Close();

    // Result of the latest poll; the saver window enables its CD poll timer
    // only while this is true, so one failing poll ends the polling.
    bool PlaybackOk() const { return playbackOk_; }
    // Replies of the latest poll. Only the current track is read again (by the poll).
    const std::string& CurrentTrack() const { return currentTrack_; }
    const std::string& TrackCount() const { return trackCount_; }
    const std::string& Position() const { return position_; }
    const std::string& Length() const { return length_; }

private:
    int track_;
    bool playbackOk_ = false;
    std::string currentTrack_, trackCount_, position_, length_;
};

// The track before or after the one playing, whichever player started it.
void PlayPreviousTrack();
void PlayNextTrack();
void CloseCdAudio();

void OpenAndPlayMp3(const std::string& path);
bool IsMp3Playing();
void RestartMp3IfStopped();
void CloseMp3();

void PlayWavLoop(const std::string& path);
void StopWav();

enum class MusicFileKind { Other, Wav, Mp3 };
// The kind a music file plays as, by the last three characters of its name
// in any case ("song.Mp3" is MP3, "song.mid" plays nothing).
MusicFileKind MusicFileKindOf(const std::string& path);

// Tests watch or replace the multimedia services; nullptr restores the system's.
void SetMultimediaApi(MultimediaApi* api);
// What the latest call to the multimedia services returned; nothing decides
// on it but tests.
std::int64_t LastMusicApiResult();

}  // namespace tav
