#include "music/mci/MciDevice.h"

#include "music/mci/MciErrors.h"

namespace tav::mci {

std::uint32_t ReadRange(const std::vector<Word>& words, std::string& from, bool& hasFrom, std::string& to,
                        bool& hasTo) {
    hasFrom = hasTo = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool isFrom = EqualsIgnoringAsciiCase(words[i].text, "from");
        const bool isTo = EqualsIgnoringAsciiCase(words[i].text, "to");
        if (!isFrom && !isTo) return kUnrecognizedKeyword;
        if (i + 1 >= words.size()) return kMissingParameter;
        bool& seen = isFrom ? hasFrom : hasTo;
        if (seen) return kDuplicateFlags;
        seen = true;
        (isFrom ? from : to) = words[++i].text;
    }
    return kOk;
}

}  // namespace tav::mci
