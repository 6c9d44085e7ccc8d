#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "shell_resources.h"

namespace orvel {

namespace {

UiLanguage g_current = UiLanguage::Chinese;
// Kept until another language replaces them: a translator must outlive the texts it gives.
QList<QTranslator*> g_installed;

void Install(QTranslator* translator) {
    // Freed with the application at the latest.
    translator->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator);
    g_installed.append(translator);
}

}  // namespace

std::optional<UiLanguage> ParseLanguage(const QString& name) {
    if (name == QLatin1String("zh_CN"))
        return UiLanguage::Chinese;
    if (name == QLatin1String("en"))
        return UiLanguage::English;
    return std::nullopt;
}

UiLanguage LanguageForLocale(const QString& localeName, const QStringList& uiLanguages) {
    // In the C locale the system sets no language (and gettext ignores LANGUAGE there too).
    if (localeName == QLatin1String("C") || uiLanguages.isEmpty())
        return UiLanguage::Chinese;
    const QString first = uiLanguages.first();
    if (first == QLatin1String("C") || first.startsWith(QLatin1String("zh")))
        return UiLanguage::Chinese;
    return UiLanguage::English;
}

UiLanguage SystemLanguage() {
    const QLocale system = QLocale::system();
    return LanguageForLocale(system.name(), system.uiLanguages());
}

UiLanguage ChooseLanguage(const QString& option, bool optionSet, const QString& iniValue,
                          QStringList& warnings) {
    if (optionSet) {
        if (const auto language = ParseLanguage(option))
            return *language;
        warnings << QStringLiteral(
                        "--lang %1: not a language of the program (zh_CN or en); "
                        "ignored")
                        .arg(option);
    }
    if (!iniValue.isEmpty()) {
        if (const auto language = ParseLanguage(iniValue))
            return *language;
        warnings << QStringLiteral(
                        "Language=%1 in OrvelTool.ini: not a language of the program "
                        "(zh_CN or en); ignored")
                        .arg(iniValue);
    }
    return SystemLanguage();
}

bool InstallLanguage(UiLanguage language) {
    EnsureShellResources();
    for (QTranslator* translator : std::as_const(g_installed)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    g_installed.clear();
    g_current = UiLanguage::Chinese;
    if (language == UiLanguage::English) {
        auto own = std::make_unique<QTranslator>();
        if (!own->load(QStringLiteral(":/i18n/orveltool_en.qm")))
            return false;
        Install(own.release());
        g_current = UiLanguage::English;
        return true;
    }
    // Qt's own dialogs (files, printing) in Chinese, where the system has their translation.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        Install(qt.release());
    }
    return true;
}

UiLanguage CurrentLanguage() {
    return g_current;
}

QString LanguageLine() {
    return QCoreApplication::translate("Language", "语言：中文（简体）");
}

}  // namespace orvel
