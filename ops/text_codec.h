// Text from the user's other tools: UTF-8 (a BOM stays in front), or else GBK, as Chinese
// editions of spreadsheets and editors write it.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvel {

QString DecodeUtf8OrGbk(const QByteArray& bytes);

}  // namespace orvel
