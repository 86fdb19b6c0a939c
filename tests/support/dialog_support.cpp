#include "support/dialog_support.h"

namespace tav::test {

namespace {
template <typename T>
std::optional<T> Take(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
}
}  // namespace

std::optional<std::string> ScriptedDialogs::OpenFile(QWidget*, const QString& filterName, const QStringList& patterns,
                                                     const QString& title) {
    FileRequests.push_back({filterName, patterns, title});
    return Take(Files);
}

std::optional<std::string> ScriptedDialogs::BrowseFolder(QWidget*, const QString& instruction,
                                                         const QString& startFolder) {
    FolderInstructions.push_back(instruction);
    FolderStarts.push_back(startFolder);
    return Take(Folders);
}

std::optional<std::int32_t> ScriptedDialogs::ChooseColour(QWidget*, std::int32_t,
                                                          const std::array<std::int32_t, 16>& customColours) {
    ColourRequests.push_back(customColours);
    return Take(Colours);
}

void ScriptedDialogs::ShowMessage(QWidget*, const QString&, const QString& text) { Messages.push_back(text); }

}  // namespace tav::test
