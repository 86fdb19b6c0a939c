#include "startup/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <string_view>

namespace tav {

namespace {

UiLanguage current = UiLanguage::Japanese;

// Both translators live as long as the process: the application may hold
// them until its very end, after static objects are gone.
QTranslator& EnglishTexts() {
    static QTranslator* translator = [] {
        auto* t = new QTranslator;
        (void)t->load(QStringLiteral(":/i18n/tavrelle_en.qm"));
        return t;
    }();
    return *translator;
}

// Qt's own texts (file dialog, colour dialog, message box buttons) in Japanese,
// from the translations Qt is installed with.
QTranslator& QtJapaneseTexts() {
    static QTranslator* translator = [] {
        auto* t = new QTranslator;
        (void)t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        return t;
    }();
    return *translator;
}

// Whether a locale name ("ja", "ja_JP.UTF-8", "en_GB@euro") is of the language.
bool OfLanguage(std::string_view name, std::string_view language) {
    if (!name.starts_with(language)) return false;
    if (name.size() == language.size()) return true;
    const char next = name[language.size()];
    return next == '_' || next == '.' || next == '@';
}

}  // namespace

UiLanguage LanguageFromEnvironment(const EnvironmentReader& read) {
    auto value = [&read](const char* name) -> std::string_view {
        const char* v = read ? read(name) : std::getenv(name);
        return v ? std::string_view(v) : std::string_view();
    };
    const std::string_view chosen = value("TAVRELLE_LANG");
    if (chosen == "ja") return UiLanguage::Japanese;
    if (chosen == "en") return UiLanguage::English;

    std::string_view list = value("LANGUAGE");
    while (!list.empty()) {
        const std::size_t cut = list.find(':');
        const std::string_view entry = list.substr(0, cut);
        if (OfLanguage(entry, "ja")) return UiLanguage::Japanese;
        if (OfLanguage(entry, "en")) return UiLanguage::English;
        list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string_view locale = value(name);
        if (!locale.empty()) return OfLanguage(locale, "ja") ? UiLanguage::Japanese : UiLanguage::English;
    }
    return UiLanguage::English;
}

bool UseLanguage(UiLanguage language) {
    current = language;
    QTranslator& wanted = language == UiLanguage::English ? EnglishTexts() : QtJapaneseTexts();
    const bool loaded = !wanted.isEmpty();
    if (QCoreApplication::instance()) {
        QCoreApplication::removeTranslator(&EnglishTexts());
        QCoreApplication::removeTranslator(&QtJapaneseTexts());
        if (loaded) QCoreApplication::installTranslator(&wanted);
    }
    return loaded;
}

UiLanguage CurrentLanguage() { return current; }

QString Translated(const char* context, const char* source, const char* disambiguation, int n) {
    if (QCoreApplication::instance()) return QCoreApplication::translate(context, source, disambiguation, n);
    QString text;
    if (current == UiLanguage::English) text = EnglishTexts().translate(context, source, disambiguation, n);
    if (text.isEmpty()) text = QString::fromUtf8(source);
    if (n >= 0) text.replace(QStringLiteral("%n"), QString::number(n));
    return text;
}

QStringList EveryTranslation(const char* context, const char* source) {
    QStringList texts{QString::fromUtf8(source)};
    const QString english = EnglishTexts().translate(context, source);
    if (!english.isEmpty() && english != texts.front()) texts << english;
    return texts;
}

}  // namespace tav
