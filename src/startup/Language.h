// The language of the user interface: Japanese, the language the texts are
// written in, or English, their one translation.
//
// The language is chosen once, at start, from the environment:
//   TAVRELLE_LANG   "ja" or "en" overrides the desktop (any other value is ignored);
//   LANGUAGE        a colon-separated list: its first entry that is Japanese
//                   or English decides;
//   LC_ALL, LC_MESSAGES, LANG
//                   the first that is set and not empty decides.
// A locale name whose language part is "ja" (ja, ja_JP.UTF-8, ja_JP@...) is
// Japanese; every other name, "C" and "POSIX" included, is English.
//
// Texts are marked with tr() or QT_TRANSLATE_NOOP, the Japanese text as the
// source. The English translations (translations/tavrelle_en.ts) are built
// into the program; Japanese loads Qt's own Japanese translation, so the
// file, folder and colour dialogs and the message box buttons match.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tav {

enum class UiLanguage { Japanese, English };

// Reads a variable of the environment; null when it is not set.
using EnvironmentReader = std::function<const char*(const char* name)>;

// The language the environment asks for (rules above); reads the process
// environment when no reader is given.
UiLanguage LanguageFromEnvironment(const EnvironmentReader& read = {});

// Makes the language the one every text is shown in. Installs its
// translations into the application when one exists, and again into an
// application created later (call again after creating it). Returns false
// when a translation could not be loaded; the texts then stay Japanese.
bool UseLanguage(UiLanguage language);
UiLanguage CurrentLanguage();

// A marked text in the current language; works before the application
// exists (for --help and the messages on standard error).
QString Translated(const char* context, const char* source, const char* disambiguation = nullptr, int n = -1);

// The text in every language the program speaks: the source and its English
// translation (once when they are equal).
QStringList EveryTranslation(const char* context, const char* source);

}  // namespace tav
