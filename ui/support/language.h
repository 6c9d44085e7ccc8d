// The language of the window: Chinese (the source texts) or English (the translation embedded
// from i18n/orveltool_en.ts). Chosen once at start, before any window is built.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace orvel {

enum class UiLanguage { Chinese, English };

// "zh_CN" and "en", as --lang and the INI's Language= spell them; anything else is no language.
std::optional<UiLanguage> ParseLanguage(const QString& name);
// The system's choice: Chinese for a zh* UI language and where none is set (the C or POSIX
// locale), English for any other.
UiLanguage LanguageForLocale(const QString& localeName, const QStringList& uiLanguages);
UiLanguage SystemLanguage();

// --lang wins over the INI's Language=, which wins over the system. A value that names no
// language is passed over, with a line for the user in `warnings`.
UiLanguage ChooseLanguage(const QString& option, bool optionSet, const QString& iniValue,
                          QStringList& warnings);

// Installs the translators of the language in place of the ones installed before: for English
// the program's own translation, for Chinese Qt's Chinese texts for its own dialogs (where the
// system has them). False when the program's translation cannot be loaded (the window then
// stays Chinese).
bool InstallLanguage(UiLanguage language);
// The language installed last (Chinese before any).
UiLanguage CurrentLanguage();
// The about box's line: "语言：中文（简体）" or "Language: English".
QString LanguageLine();

}  // namespace orvel
