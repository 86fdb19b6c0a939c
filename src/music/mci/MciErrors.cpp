#include "music/mci/MciErrors.h"

namespace tav::mci {

const char* ErrorText(std::uint32_t code) {
    switch (code) {
    case kOk: return "The specified command was carried out.";
    case kInvalidDeviceId: return "Invalid device ID. Use the ID given to the device when the device was opened.";
    case kUnrecognizedKeyword: return "The driver cannot recognize the specified command parameter.";
    case kUnrecognizedCommand: return "The driver cannot recognize the specified command.";
    case kHardware: return "There is a problem with your media device. Make sure it is working correctly.";
    case kInvalidDeviceName: return "The specified device is not open or is not recognized by MCI.";
    case kOutOfMemory: return "Not enough memory available for this task.";
    case kDeviceOpen:
        return "The device name is already being used as an alias by this application. Use a unique alias.";
    case kCannotLoadDriver: return "There is an undetectable problem in loading the specified device driver.";
    case kMissingCommandString: return "No command was specified.";
    case kParamOverflow:
        return "The output string was too large to fit in the return buffer. Increase the size of the buffer.";
    case kMissingStringArgument:
        return "The specified command requires a character-string parameter. Please provide one.";
    case kBadInteger: return "The specified integer is invalid for this command.";
    case kMissingParameter: return "The specified command requires a parameter. Please supply one.";
    case kUnsupportedFunction: return "The MCI device you are using does not support the specified command.";
    case kFileNotFound: return "Cannot find the specified file. Make sure the path and filename are correct.";
    case kDeviceNotReady: return "The device driver is not ready.";
    case kInternal: return "A problem occurred in initializing MCI.";
    case kExtensionNotFound: return "The specified extension has no device type associated with it.";
    case kOutOfRange: return "The specified parameter is out of range for the specified command.";
    case kDuplicateAlias: return "The specified alias is already being used in this application. Use a unique alias.";
    case kBadConstant: return "The specified parameter value is not valid for this command.";
    case kMissingDeviceName: return "No device name was given. Supply a device name or an alias.";
    case kBadTimeFormat: return "The specified MCI time format is invalid.";
    case kNoClosingQuote:
        return "A closing double-quotation mark is missing from the parameter value. Please supply one.";
    case kDuplicateFlags: return "A parameter or value was specified twice. Only specify it once.";
    case kInvalidFile:
        return "The specified file cannot be played on the specified MCI device. The file may be corrupt or not in the "
               "correct format.";
    case kExtraCharacters: return "You must enclose a string with spaces in quotation marks.";
    case kDeviceNotInstalled: return "The specified device is not installed on the system.";
    default: return nullptr;
    }
}

}  // namespace tav::mci
