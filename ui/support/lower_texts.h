// The texts that come from below the window (core/, link/, ops/), in the window's language.
// Those layers keep their Chinese texts: files, orvelctl's output and the exchanges' log lines
// stay the same whatever the window speaks. They mark each text with ORVEL_TR where they write
// it, and i18n/orveltool_en.ts holds the translations under the context "CoreText".
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "texts.h"

namespace orvel {

// One fixed text: a column heading, a setting's name or word, a cell (" 信道3", "关"). A text
// the translation does not know (a number) stays as it is.
QString CoreText(std::string_view text);
std::string CoreTextUtf8(std::string_view text);
// A message: its text translated, then its number put in.
QString CoreText(const orvel::Message& message);
// The same as a log line, ending in "\r\n".
QString CoreLines(const orvel::Message& message);

}  // namespace orvel
