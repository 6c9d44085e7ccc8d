// The help menu's text files, kept beside the program.
#pragma once

#include <QString>

// Opens programDir/baseName.txt in the desktop's viewer for text files, without waiting for it;
// where the desktop has no viewer, in the program's own help window. A missing file is not
// reported: the help is optional.
void OpenHelpFile(const QString& programDir, const QString& baseName);
