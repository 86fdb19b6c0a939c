#include "music/mci/MciInterpreter.h"

#include "music/mci/MciCdDevice.h"
#include "music/mci/MciCommand.h"
#include "music/mci/MciErrors.h"
#include "music/mci/MciFileDevice.h"
#include "music/mci/Sound.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace tav {

namespace mci {

namespace {

bool IsFileType(std::string_view type) {
    return EqualsIgnoringAsciiCase(type, "mpegvideo") || EqualsIgnoringAsciiCase(type, "waveaudio") ||
           EqualsIgnoringAsciiCase(type, "sequencer");
}

// The device type that a file name's extension implies, as "open" without
// "type" uses it.
bool HasKnownFileExtension(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    const std::string ext = LowerAscii(std::string_view(name).substr(dot + 1));
    static const char* const known[] = {"wav",  "mp3", "mp2", "mpg",  "mpeg", "mid",
                                        "midi", "rmi", "ogg", "flac", "opus"};
    return std::any_of(std::begin(known), std::end(known), [&ext](const char* k) { return ext == k; });
}

class Interpreter {
public:
    std::uint32_t Execute(std::string_view text, std::string& reply) {
        std::lock_guard lock(mutex_);
        Command command;
        if (const auto err = ParseCommand(text, command)) return err;
        // Nothing here waits or notifies: a play returns at once in any case.
        std::erase_if(command.words, [](const Word& w) {
            return !w.quoted && (EqualsIgnoringAsciiCase(w.text, "wait") || EqualsIgnoringAsciiCase(w.text, "notify"));
        });
        const std::string& verb = command.verb;
        if (verb == "open") return Open(command, reply);
        if (verb == "close") return Close(command);
        static const char* const deviceVerbs[] = {"play", "stop", "pause", "resume", "seek", "set", "status"};
        if (std::none_of(std::begin(deviceVerbs), std::end(deviceVerbs), [&verb](const char* v) { return verb == v; }))
            return kUnrecognizedCommand;
        const auto found = devices_.find(LowerAscii(command.device));
        if (found == devices_.end()) return kInvalidDeviceName;
        Device& device = *found->second;
        const auto& words = command.words;
        if (verb == "play") return device.Play(words);
        if (verb == "seek") return device.Seek(words);
        if (verb == "set") return device.Set(words);
        if (verb == "status") return device.Status(words, reply);
        if (!words.empty()) return kUnrecognizedKeyword;
        if (verb == "stop") return device.Stop();
        if (verb == "pause") return device.Pause();
        return device.Resume();
    }

    void SetCdSource(const std::string& source) {
        std::lock_guard lock(mutex_);
        cdSource_ = source;
    }

    void CloseAll() {
        std::lock_guard lock(mutex_);
        devices_.clear();
    }

private:
    std::uint32_t Open(const Command& command, std::string& reply) {
        std::string type, alias;
        bool hasType = false, hasAlias = false;
        const auto& w = command.words;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (EqualsIgnoringAsciiCase(w[i].text, "shareable")) continue;
            const bool isType = EqualsIgnoringAsciiCase(w[i].text, "type");
            if (!isType && !EqualsIgnoringAsciiCase(w[i].text, "alias")) return kUnrecognizedKeyword;
            if (i + 1 >= w.size()) return kMissingStringArgument;
            bool& seen = isType ? hasType : hasAlias;
            if (seen) return kDuplicateFlags;
            seen = true;
            (isType ? type : alias) = w[++i].text;
        }
        const std::string& name = command.device;
        const bool namedCd = EqualsIgnoringAsciiCase(name, "cdaudio");
        bool cd = false;
        if (hasType) {
            cd = EqualsIgnoringAsciiCase(type, "cdaudio");
            if (!cd && !IsFileType(type)) return kInvalidDeviceName;
        } else if (namedCd) {
            cd = true;
        } else if (!HasKnownFileExtension(name)) {
            return name.find('.') != std::string::npos ? kExtensionNotFound : kInvalidDeviceName;
        }
        if (hasAlias && alias.empty()) return kMissingStringArgument;
        const std::string key = LowerAscii(hasAlias ? alias : name);
        if (key == "all") return kInvalidDeviceName;
        if (devices_.count(key)) return hasAlias ? kDuplicateAlias : kDeviceOpen;

        std::unique_ptr<Device> device;
        std::uint32_t err = kOk;
        if (cd) {
            auto cdDevice = std::make_unique<CdDevice>();
            err = cdDevice->Open(namedCd ? cdSource_ : name);
            device = std::move(cdDevice);
        } else {
            auto file = std::make_unique<FileDevice>();
            err = file->Open(name);
            device = std::move(file);
        }
        if (err) return err;
        devices_.emplace(key, std::move(device));
        reply = std::to_string(nextId_++);
        return kOk;
    }

    std::uint32_t Close(const Command& command) {
        if (!command.words.empty()) return kUnrecognizedKeyword;
        if (EqualsIgnoringAsciiCase(command.device, "all")) {
            devices_.clear();
            return kOk;
        }
        return devices_.erase(LowerAscii(command.device)) ? kOk : kInvalidDeviceName;
    }

    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Device>> devices_;
    std::string cdSource_;
    int nextId_ = 1;
};

// Never destroyed: devices may still be sounding while the process ends, and
// the audio thread must not meet a destroyed device.
Interpreter& TheInterpreter() {
    static Interpreter* const interpreter = new Interpreter;
    return *interpreter;
}

class SystemApi final : public MultimediaApi {
public:
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             void* callbackWindow) override {
        return mciSendStringA(command, returnString, returnLength, callbackWindow);
    }
    bool GetErrorString(std::uint32_t error, char* text, std::uint32_t length) override {
        return mciGetErrorStringA(error, text, length);
    }
    bool PlaySound(const char* sound, void* module, std::uint32_t flags) override {
        return PlaySoundA(sound, module, flags);
    }
    std::uint32_t WaveOutDeviceCount() override { return waveOutGetNumDevs(); }
};

}  // namespace

void SetDefaultCdSource(const std::string& source) { TheInterpreter().SetCdSource(source); }

void CloseAll() {
    TheInterpreter().CloseAll();
    PlaySoundA(nullptr, nullptr, 0);
}

}  // namespace mci

std::uint32_t mciSendStringA(const char* command, char* returnString, std::uint32_t returnLength, void*) {
    if (returnString && returnLength > 0) returnString[0] = '\0';
    if (!command) return mci::kMissingCommandString;
    std::string reply;
    std::uint32_t code = mci::TheInterpreter().Execute(command, reply);
    if (code == mci::kOk && returnString && returnLength > 0) {
        if (reply.size() >= returnLength) code = mci::kParamOverflow;
        const std::size_t n = std::min<std::size_t>(reply.size(), returnLength - 1);
        std::memcpy(returnString, reply.data(), n);
        returnString[n] = '\0';
    }
    return code;
}

bool mciGetErrorStringA(std::uint32_t error, char* text, std::uint32_t length) {
    const char* message = mci::ErrorText(error);
    if (!message || !text || length == 0) return false;
    const std::size_t n = std::min<std::size_t>(std::strlen(message), length - 1);
    std::memcpy(text, message, n);
    text[n] = '\0';
    return true;
}

MultimediaApi& SystemMultimedia() {
    static mci::SystemApi api;
    return api;
}

}  // namespace tav
