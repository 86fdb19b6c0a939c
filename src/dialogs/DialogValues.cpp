#include "dialogs/DialogValues.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <string>

namespace tav {

QString CountCaption(int count) { return QCoreApplication::translate("Dialogs", "%n 件", nullptr, count); }

QString SizeCaption(int width, int height) {
    return QCoreApplication::translate("Dialogs", "Size ： %1 * %2").arg(width).arg(height);
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

const char* const kWeekdayNames[7] = {QT_TRANSLATE_NOOP("Schedule", "日曜日"), QT_TRANSLATE_NOOP("Schedule", "月曜日"),
                                      QT_TRANSLATE_NOOP("Schedule", "火曜日"), QT_TRANSLATE_NOOP("Schedule", "水曜日"),
                                      QT_TRANSLATE_NOOP("Schedule", "木曜日"), QT_TRANSLATE_NOOP("Schedule", "金曜日"),
                                      QT_TRANSLATE_NOOP("Schedule", "土曜日")};
// The same names, as the three characters a row label begins with.
struct MarkedText {
    const char* source;
    const char* comment;
};
const MarkedText kWeekdayShortNames[7] = {
    QT_TRANSLATE_NOOP3("Schedule", "日曜日", "row label"), QT_TRANSLATE_NOOP3("Schedule", "月曜日", "row label"),
    QT_TRANSLATE_NOOP3("Schedule", "火曜日", "row label"), QT_TRANSLATE_NOOP3("Schedule", "水曜日", "row label"),
    QT_TRANSLATE_NOOP3("Schedule", "木曜日", "row label"), QT_TRANSLATE_NOOP3("Schedule", "金曜日", "row label"),
    QT_TRANSLATE_NOOP3("Schedule", "土曜日", "row label")};

}  // namespace

QString WeekdayName(int day) {
    if (day < 0 || day > 6) return QString();
    return QCoreApplication::translate("Schedule", kWeekdayNames[day]);
}

QString WeekdayLabel(int day) {
    if (day < 0 || day > 6) return QString();
    return QCoreApplication::translate("Schedule", kWeekdayShortNames[day].source, kWeekdayShortNames[day].comment) +
           QLatin1Char(' ');
}

QString HourLabel(int hour) {
    if (hour < 0 || hour > 23) return QString();
    // The start and end hours each take two characters, right-aligned.
    return QCoreApplication::translate("Schedule", "%1時～%2時 ")
        .arg(hour, 2, 10, QLatin1Char(' '))
        .arg(hour + 1, 2, 10, QLatin1Char(' '));
}

QString CellText(char cell) { return (cell >= '0' && cell <= '9') ? QString(QLatin1Char(cell)) : QStringLiteral(" "); }

char CellFromRow(const QString& row, int index) {
    if (index < 0 || index >= row.size()) return ' ';
    const QChar c = row.at(index);
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? static_cast<char>(c.unicode()) : ' ';
}

}  // namespace tav
