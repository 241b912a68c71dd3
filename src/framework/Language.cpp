// The language of the program's texts and its translators.
#include "framework/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <string>

namespace {

TUiLanguage gLanguage = ulChinese;
QPointer<QTranslator> gProgramTranslator;
QPointer<QTranslator> gQtTranslator;

// The language part of a locale name ("en_US.UTF-8" -> "en", "C.UTF-8" -> "C").
std::string_view LanguagePart(std::string_view locale)
{
    return locale.substr(0, locale.find_first_of("_.@"));
}

void Replace(QPointer<QTranslator>& slot, QTranslator* translator)
{
    if (slot) {
        QCoreApplication::removeTranslator(slot);
        delete slot;
    }
    slot = translator;
    if (translator)
        QCoreApplication::installTranslator(translator);
}

QTranslator* Load(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(name, folder))
        return translator;
    delete translator;
    return nullptr;
}

} // namespace

std::optional<TUiLanguage> ParseUiLanguage(std::string_view code)
{
    if (code == "zh")
        return ulChinese;
    if (code == "en")
        return ulEnglish;
    return std::nullopt;
}

TUiLanguage DesktopUiLanguage(const std::function<const char*(const char*)>& getEnv)
{
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getEnv(variable);
        if (!value || !*value)
            continue;
        std::string_view rest = value;
        if (std::string_view(variable) != "LANGUAGE")
            return ParseUiLanguage(LanguagePart(rest)).value_or(ulChinese);
        // A list by preference ("fr:en"): the first entry the program speaks.
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const auto language = ParseUiLanguage(LanguagePart(rest.substr(0, colon))))
                return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
        return ulChinese;
    }
    return ulChinese;
}

bool InstallUiLanguage(TUiLanguage language)
{
    gLanguage = language;
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == ulChinese) {
        // The texts are Chinese already; Qt's buttons and dialogs are made to match.
        Replace(gProgramTranslator, nullptr);
        QTranslator* qt = Load(QStringLiteral("qtbase_zh_CN"), qtFolder);
        Replace(gQtTranslator, qt);
        return qt;
    }
    QTranslator* program = Load(QStringLiteral("glimmerwick_en"), QStringLiteral(":/translations"));
    Replace(gProgramTranslator, program);
    QTranslator* qt = Load(QStringLiteral("qtbase_en"), qtFolder);
    Replace(gQtTranslator, qt);
    return program && qt;
}

TUiLanguage UiLanguage()
{
    return gLanguage;
}
