// The desktop's file, folder and colour dialogs and the message box, behind
// one small interface so tests can answer them without a person.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace tav {

class SystemDialogs {
public:
    virtual ~SystemDialogs() = default;
    // A file chosen by the user, or nothing when cancelled. filterName is the
    // text shown for the filter, patterns its name patterns ("*.bmp", ...),
    // which match regardless of case.
    virtual std::optional<std::string> OpenFile(QWidget* owner, const QString& filterName, const QStringList& patterns,
                                                const QString& title) = 0;
    // A folder chosen by the user, or nothing when cancelled. The chooser
    // opens in startFolder and its accept button reads "OK", as the
    // instruction says.
    virtual std::optional<std::string> BrowseFolder(QWidget* owner, const QString& instruction,
                                                    const QString& startFolder) = 0;
    // A colour (COLORREF 0x00BBGGRR), or nothing when cancelled. customColours
    // fill the dialog's sixteen custom-colour places in order.
    virtual std::optional<std::int32_t> ChooseColour(QWidget* owner, std::int32_t initial,
                                                     const std::array<std::int32_t, 16>& customColours) = 0;
    // A warning message box with an OK button.
    virtual void ShowMessage(QWidget* owner, const QString& title, const QString& text) = 0;
};

// The message shown when a data file could not be written: the fixed text,
// and on a second line the full path of the file (or of the data folder,
// when no one file is known). An empty path leaves the second line out.
void ReportWriteFailure(SystemDialogs* dialogs, QWidget* owner, const std::string& file = {});
QString WriteFailureText(const std::string& file = {});

// The message shown when the edited list is full and an add command is refused.
QString ListFullText();

// The real dialogs of the desktop.
SystemDialogs& DesktopDialogs();

// The sixteen colours offered as custom colours: the desktop palette's
// colours in the order of the classic system colour indices 0 ... 15
// (scroll bar, desktop, active caption, inactive caption, menu, window,
// window frame, menu text, window text, caption text, active border,
// inactive border, application workspace, highlight, highlight text,
// button face).
std::array<std::int32_t, 16> SystemColours();

}  // namespace tav
