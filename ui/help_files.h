// The help menu's text files, kept beside the program.
#pragma once

#include <QString>

// Opens programDir/baseName.txt in the desktop's viewer for text files, without waiting for it.
// A missing file or a viewer that cannot start is not reported: the help is optional.
void OpenHelpFile(const QString& programDir, const QString& baseName);
