#include "support/dialog_support.h"

#include <QImage>

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

std::optional<std::string> ScriptedDialogs::OpenFile(QWidget*, const QString& filterName,
                                                     const QStringList& patterns, const QString& title) {
    FileRequests.push_back({filterName, patterns, title});
    return Take(Files);
}

std::optional<std::string> ScriptedDialogs::BrowseFolder(QWidget*, const QString& instruction) {
    FolderInstructions.push_back(instruction);
    return Take(Folders);
}

std::optional<std::int32_t> ScriptedDialogs::ChooseColour(QWidget*, std::int32_t,
                                                          const std::array<std::int32_t, 16>& customColours) {
    ColourRequests.push_back(customColours);
    return Take(Colours);
}

void ScriptedDialogs::ShowMessage(QWidget*, const QString&, const QString& text) { Messages.push_back(text); }

void WritePicture(const std::string& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    image.save(QString::fromStdString(path));
}

}  // namespace tav::test
