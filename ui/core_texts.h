// The texts that come from below the window (core/, link/, ops/), in the window's language.
// Those layers keep their Chinese texts: files, orvelctl's output and the exchanges' log lines
// stay the same whatever the window speaks. The window translates them here, where it shows
// them; i18n/orveltool_en.ts holds them under the context "CoreText".
#pragma once

#include <QString>
#include <string>
#include <string_view>

// One text: a column heading, a setting's name or word, a cell (" 信道3", "关"), a log line
// without its line break. A text the translation does not know (a number) stays as it is.
QString CoreText(std::string_view text);
std::string CoreTextUtf8(std::string_view text);
// Log text of whole lines, each ending in "\r\n", translated line by line.
QString CoreLines(std::string_view text);
