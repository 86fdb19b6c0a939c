#include "dialogs/DialogValues.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace tav {

QString CountCaption(int count) { return QString::number(count) + QStringLiteral(" 件"); }

QString SizeCaption(int width, int height) {
    return QStringLiteral("Size ： ") + QString::number(width) + QStringLiteral(" * ") + QString::number(height);
}

QSize ThumbnailSize(int width, int height) {
    if (width <= 0 || height <= 0) return QSize(0, 0);
    const double side = kThumbnailSide;
    if (width > height) return QSize(kThumbnailSide, static_cast<int>(std::nearbyint(height * side / width)));
    return QSize(static_cast<int>(std::nearbyint(width * side / height)), kThumbnailSide);
}

std::int16_t ParseCdTrack(const QString& text, std::int16_t previous) {
    const std::string trimmed = text.trimmed().toStdString();
    if (trimmed.empty()) return 0;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value)) return 0;
    // strtod also reads "nan", "inf" and hexadecimal; only plain decimals count.
    for (char c : trimmed)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) return previous;
    return static_cast<std::int16_t>(rounded);
}

QString FormatCdTrack(std::int16_t track) { return track == 0 ? QString() : QString::number(track); }

namespace {
const char16_t* const kWeekdayNames[7] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"};
}

QString WeekdayName(int day) {
    if (day < 0 || day > 6) return QString();
    return QString::fromUtf16(kWeekdayNames[day]);
}

QString WeekdayLabel(int day) {
    if (day < 0 || day > 6) return QString();
    return WeekdayName(day) + QLatin1Char(' ');
}

QString HourLabel(int hour) {
    if (hour < 0 || hour > 23) return QString();
    return QStringLiteral("%1時～%2時 ").arg(hour, 2, 10, QLatin1Char(' ')).arg(hour + 1, 2, 10, QLatin1Char(' '));
}

QString CellText(char cell) { return (cell >= '0' && cell <= '9') ? QString(QLatin1Char(cell)) : QStringLiteral(" "); }

char CellFromRow(const QString& row, int index) {
    if (index < 0 || index >= row.size()) return ' ';
    const QChar c = row.at(index);
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? static_cast<char>(c.unicode()) : ' ';
}

}  // namespace tav
