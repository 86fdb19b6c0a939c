#include "dialogs/SystemDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPalette>

#include "base/ColourQt.h"
#include "dialogs/DialogValues.h"

namespace tav {

namespace {

class Desktop final : public SystemDialogs {
public:
    std::optional<std::string> OpenFile(QWidget* owner, const QString& filterName, const QStringList& patterns,
                                        const QString& title) override {
        // The desktop's dialog may match patterns by case, so both spellings are given.
        QStringList both;
        for (const QString& p : patterns) both << p.toLower() << p.toUpper();
        both.removeDuplicates();
        const QString filter = filterName + QStringLiteral(" (") + both.join(QLatin1Char(' ')) + QLatin1Char(')');
        const QString chosen = QFileDialog::getOpenFileName(owner, title, QString(), filter);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen.toStdString();
    }

    std::optional<std::string> BrowseFolder(QWidget* owner, const QString& instruction,
                                            const QString& startFolder) override {
        QFileDialog chooser(owner, instruction, startFolder);
        chooser.setFileMode(QFileDialog::Directory);
        chooser.setOption(QFileDialog::ShowDirsOnly);
        chooser.setLabelText(QFileDialog::Accept, QStringLiteral("OK"));
        if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
        const QString chosen = chooser.selectedFiles().front();
        if (chosen.isEmpty()) return std::nullopt;
        return chosen.toStdString();
    }

    std::optional<std::int32_t> ChooseColour(QWidget* owner, std::int32_t initial,
                                             const std::array<std::int32_t, 16>& customColours) override {
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, ColorFromColorref(static_cast<Colorref>(customColours[i])));
        const QColor chosen = QColorDialog::getColor(ColorFromColorref(static_cast<Colorref>(initial)), owner);
        if (!chosen.isValid()) return std::nullopt;
        return static_cast<std::int32_t>(ColorrefFromColor(chosen));
    }

    void ShowMessage(QWidget* owner, const QString& title, const QString& text) override {
        QMessageBox::warning(owner, title, text, QMessageBox::Ok);
    }
};

}  // namespace

SystemDialogs& DesktopDialogs() {
    static Desktop desktop;
    return desktop;
}

QString WriteFailureText(const std::string& file) {
    const QString first = QCoreApplication::translate("Dialogs", "ﾌｧｲﾙを書き込めませんでした。");
    return file.empty() ? first : first + QLatin1Char('\n') + QString::fromStdString(file);
}

QString ListFullText() { return QCoreApplication::translate("Dialogs", "画像ﾌｧｲﾙは 32767 件までしか登録できません。"); }

void ReportWriteFailure(SystemDialogs* dialogs, QWidget* owner, const std::string& file) {
    (dialogs ? dialogs : &DesktopDialogs())->ShowMessage(owner, QStringLiteral("Tavrelle"), WriteFailureText(file));
}

std::array<std::int32_t, 16> SystemColours() {
    const QPalette pal = QApplication::palette();
    const QPalette::ColorRole roles[16] = {
        QPalette::Mid,      QPalette::Dark,   QPalette::Highlight,  QPalette::Mid,       QPalette::Button,
        QPalette::Base,     QPalette::Shadow, QPalette::ButtonText, QPalette::Text,      QPalette::HighlightedText,
        QPalette::Midlight, QPalette::Light,  QPalette::Window,     QPalette::Highlight, QPalette::HighlightedText,
        QPalette::Button,
    };
    std::array<std::int32_t, 16> colours{};
    for (int i = 0; i < 16; ++i)
        colours[i] = static_cast<std::int32_t>(ColorrefFromColor(pal.color(QPalette::Active, roles[i])));
    // The inactive caption is the inactive highlight.
    colours[3] = static_cast<std::int32_t>(ColorrefFromColor(pal.color(QPalette::Inactive, QPalette::Highlight)));
    return colours;
}

}  // namespace tav
