// The language of the program's texts: chosen from the command line, the settings or the
// desktop's locale, and the translators (the program's and Qt's own) that speak it.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

// The texts are written in Chinese; English is their one translation.
enum TUiLanguage { ulChinese, ulEnglish };

// "zh" or "en" (as --lang and the settings give it); nothing for any other word.
std::optional<TUiLanguage> ParseUiLanguage(std::string_view code);

// The desktop's choice, read as gettext reads it: the first of LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG that is set decides. English when it names English (LANGUAGE: the
// first entry naming a language the program speaks); Chinese for Chinese, C, POSIX and
// every language without a translation.
TUiLanguage DesktopUiLanguage(const std::function<const char*(const char*)>& getEnv);

// Installs the program's translation of `language` and Qt's own one (buttons, standard
// dialogs), replacing those installed before; false when one of them is missing.
bool InstallUiLanguage(TUiLanguage language);
// The language installed last (Chinese before any).
TUiLanguage UiLanguage();
