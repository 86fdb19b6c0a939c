// Texts and numbers the dialogs show and store, kept apart from the widgets.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>

#include <cstdint>

namespace tav {

// The texts below are in the language of the user interface; the Japanese
// ones are given here.
// The count label: n followed by " 件".
QString CountCaption(int count);
// The size label of a thumbnail: "Size ： " + w + " * " + h.
QString SizeCaption(int width, int height);
// The thumbnail of a w × h picture: the longer side becomes 89 pixels, the
// other keeps the proportion, rounded to the nearest pixel (halves to even).
// A square counts as portrait. An empty size gives an empty thumbnail.
inline constexpr int kThumbnailSide = 89;
QSize ThumbnailSize(int width, int height);

// The CD track of the combo text: a number (blanks around it allowed, a
// fraction rounded to the nearest integer, halves to even) becomes the
// track; any other text gives 0; a number outside the signed 16-bit range
// keeps the previous track.
std::int16_t ParseCdTrack(const QString& text, std::int16_t previous);
// The combo text of a track: empty for 0, else the decimal number.
QString FormatCdTrack(std::int16_t track);

// Row labels of the schedule dialog: weekday 0 (Sunday) ... 6 as four
// characters ("日曜日 "), the bare weekday name ("日曜日"), and hour 0 ... 23
// as eight characters (" 9時～10時 "). Every language keeps these lengths,
// as a row's cell is read from a fixed character (CellFromRow).
QString WeekdayLabel(int day);
QString WeekdayName(int day);
QString HourLabel(int hour);
// How a schedule cell shows in a row: its digit, else a blank.
QString CellText(char cell);
// The cell written from a rebuilt row: the character at index (a digit), or
// a blank when the row is shorter or holds something else there.
char CellFromRow(const QString& row, int index);

}  // namespace tav
