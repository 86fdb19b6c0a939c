// Result codes and texts of the multimedia command interpreter.
//
// The numbers are the classic ones (256 + n), so callers that print or compare
// them see the values they were written against.
#pragma once

#include <cstdint>

namespace tav::mci {

inline constexpr std::uint32_t kErrorBase = 256;

enum Error : std::uint32_t {
    kOk = 0,
    kInvalidDeviceId = kErrorBase + 1,
    kUnrecognizedKeyword = kErrorBase + 3,
    kUnrecognizedCommand = kErrorBase + 5,
    kHardware = kErrorBase + 6,
    kInvalidDeviceName = kErrorBase + 7,
    kOutOfMemory = kErrorBase + 8,
    kDeviceOpen = kErrorBase + 9,
    kCannotLoadDriver = kErrorBase + 10,
    kMissingCommandString = kErrorBase + 11,
    kParamOverflow = kErrorBase + 12,
    kMissingStringArgument = kErrorBase + 13,
    kBadInteger = kErrorBase + 14,
    kMissingParameter = kErrorBase + 17,
    kUnsupportedFunction = kErrorBase + 18,
    kFileNotFound = kErrorBase + 19,
    kDeviceNotReady = kErrorBase + 20,
    kInternal = kErrorBase + 21,
    kExtensionNotFound = kErrorBase + 25,
    kOutOfRange = kErrorBase + 26,
    kDuplicateAlias = kErrorBase + 33,
    kBadConstant = kErrorBase + 34,
    kMissingDeviceName = kErrorBase + 36,
    kBadTimeFormat = kErrorBase + 37,
    kNoClosingQuote = kErrorBase + 38,
    kDuplicateFlags = kErrorBase + 39,
    kInvalidFile = kErrorBase + 40,
    kExtraCharacters = kErrorBase + 49,
    kDeviceNotInstalled = kErrorBase + 50,
};

// The text of an error code, or nullptr for a code that has none.
const char* ErrorText(std::uint32_t code);

}  // namespace tav::mci
