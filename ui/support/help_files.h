// The help menu's text files: beside the program, or in the installed data folder.
#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

// The first folders/baseName.txt that is a file, or an empty text.
QString FindHelpFile(const QStringList& folders, const QString& baseName);

// The base name of the help text in the window's language: baseName_en in English where one is
// found, otherwise baseName (the Chinese text).
QString HelpBaseName(const QStringList& folders, const QString& baseName);

// Opens the first folders/baseName.txt in the desktop's viewer for text files, without waiting
// for it; where the desktop has no viewer, in the program's own help window. A missing file is
// not reported: the help is optional.
void OpenHelpFile(const QStringList& folders, const QString& baseName);

}  // namespace orvel
