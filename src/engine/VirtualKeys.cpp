#include "engine/VirtualKeys.h"

#include <array>
#include <utility>

namespace tav {

namespace {

using Entry = std::pair<int, int>;  // Qt key, key number

// Keys outside the letters and digits, with the keys of the main block for
// shifted characters (US layout).
// clang-format off
constexpr std::array kKeys = std::to_array<Entry>({
    {Qt::Key_Space, 32},
    {Qt::Key_Semicolon, 186},    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},        {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},        {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},        {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},       {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},        {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},  {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},   {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Exclam, '1'},       {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},   {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},      {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},    {Qt::Key_ParenRight, '0'},
    {Qt::Key_yen, 220},
    {Qt::Key_Cancel, 3},         {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},            {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},         {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},         {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},       {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},         {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},      {Qt::Key_Hiragana_Katakana, 21},
    {Qt::Key_Kana_Lock, 21},     {Qt::Key_Kanji, 25},
    {Qt::Key_Escape, 27},        {Qt::Key_Henkan, 28},
    {Qt::Key_Muhenkan, 29},      {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},      {Qt::Key_End, 35},
    {Qt::Key_Home, 36},          {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},            {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},          {Qt::Key_Select, 41},
    {Qt::Key_Printer, 42},       {Qt::Key_Execute, 43},
    {Qt::Key_Print, 44},         {Qt::Key_SysReq, 44},
    {Qt::Key_Insert, 45},        {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},          {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},       {Qt::Key_Super_R, 92},
    {Qt::Key_Menu, 93},          {Qt::Key_Sleep, 95},
    {Qt::Key_NumLock, 144},      {Qt::Key_ScrollLock, 145},
    {Qt::Key_Back, 166},         {Qt::Key_Forward, 167},
    {Qt::Key_Refresh, 168},      {Qt::Key_Stop, 169},
    {Qt::Key_Search, 170},       {Qt::Key_Favorites, 171},
    {Qt::Key_HomePage, 172},     {Qt::Key_VolumeMute, 173},
    {Qt::Key_VolumeDown, 174},   {Qt::Key_VolumeUp, 175},
    {Qt::Key_MediaNext, 176},    {Qt::Key_MediaPrevious, 177},
    {Qt::Key_MediaStop, 178},    {Qt::Key_MediaTogglePlayPause, 179},
    {Qt::Key_MediaPlay, 179},    {Qt::Key_LaunchMail, 180},
    {Qt::Key_Zenkaku_Hankaku, 243},
});
// clang-format on

// Keypad keys that have numbers of their own; the keypad's arrows, Home,
// Enter and the like share the numbers of the main keys.
// clang-format off
constexpr std::array kKeypadKeys = std::to_array<Entry>({
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Comma, 108}, {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Slash, 111},
});
// clang-format on

template <std::size_t N>
int Find(const std::array<Entry, N>& table, int qtKey) {
    for (const auto& [key, number] : table)
        if (key == qtKey) return number;
    return 0;
}

}  // namespace

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return keypad ? 96 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    if (keypad) {
        if (const int number = Find(kKeypadKeys, qtKey)) return number;
    }
    return Find(kKeys, qtKey);
}

}  // namespace tav
