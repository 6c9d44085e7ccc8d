#include "manual_page.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace orvel {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("ManualPage", text);
}

QString LanguageFolder(UiLanguage language) {
    return language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("zh_CN");
}

QString FirstIndex(const QStringList& folders, UiLanguage language) {
    for (const QString& folder : folders) {
        const QString path =
            QDir(folder).filePath(LanguageFolder(language) + QStringLiteral("/index.html"));
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QString();
}

}  // namespace

QStringList ManualFolders(const QString& programDir) {
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("manual")),
            dir.filePath(QStringLiteral("../share/doc/orveltool/manual")),
            QStringLiteral("/usr/share/doc/orveltool/manual"),
            dir.filePath(QStringLiteral("../../out/manual"))};
}

QString ManualIndex(const QStringList& folders, UiLanguage language) {
    const QString own = FirstIndex(folders, language);
    if (!own.isEmpty())
        return own;
    return FirstIndex(folders,
                      language == UiLanguage::English ? UiLanguage::Chinese : UiLanguage::English);
}

QAction* AddManualAction(QMenu* help, QAction* before, const QString& programDir) {
    auto* action = new QAction(Tr(QT_TRANSLATE_NOOP("ManualPage", "使用手册")), help);
    action->setObjectName(QStringLiteral("actionManual"));
    help->insertAction(before, action);
    QObject::connect(action, &QAction::triggered, help, [help, programDir] {
        const QStringList folders = ManualFolders(programDir);
        const QString index = ManualIndex(folders, CurrentLanguage());
        if (index.isEmpty()) {
            QMessageBox::information(
                help->window(), Tr(QT_TRANSLATE_NOOP("ManualPage", "使用手册")),
                Tr(QT_TRANSLATE_NOOP("ManualPage", "找不到使用手册，查找过：\n%1"))
                    .arg(folders.join(QLatin1Char('\n'))));
            return;
        }
        QDesktopServices::openUrl(QUrl::fromLocalFile(index));
    });
    return action;
}

}  // namespace orvel
