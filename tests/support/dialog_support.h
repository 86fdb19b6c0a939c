// Scripted answers for the desktop's dialogs, for the dialog tests.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/SystemDialogs.h"

namespace tav::test {

// Answers each dialog from a queue (cancel when the queue is empty) and
// records what was asked.
class ScriptedDialogs : public SystemDialogs {
public:
    std::deque<std::optional<std::string>> Files;
    std::deque<std::optional<std::string>> Folders;
    std::deque<std::optional<std::int32_t>> Colours;

    struct FileRequest {
        QString FilterName;
        QStringList Patterns;
        QString Title;
    };
    std::vector<FileRequest> FileRequests;
    std::vector<QString> FolderInstructions;
    std::vector<QString> FolderStarts;
    std::vector<std::array<std::int32_t, 16>> ColourRequests;
    std::vector<QString> Messages;

    std::optional<std::string> OpenFile(QWidget*, const QString& filterName, const QStringList& patterns,
                                        const QString& title) override;
    std::optional<std::string> BrowseFolder(QWidget*, const QString& instruction, const QString& startFolder) override;
    std::optional<std::int32_t> ChooseColour(QWidget*, std::int32_t,
                                             const std::array<std::int32_t, 16>& customColours) override;
    void ShowMessage(QWidget*, const QString&, const QString& text) override;
};

}  // namespace tav::test
