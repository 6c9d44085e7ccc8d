#include <QCoreApplication>
#include <QString>
#include <cstring>

#include "commands.h"

namespace orvel::cli {

// Windows hands the arguments over as UTF-16 already.
#ifndef Q_OS_WIN
namespace {

// The length of the valid UTF-8 sequence at `text`, or 0. Overlong forms, surrogates and values
// past U+10FFFF are not valid.
int Utf8SequenceLength(const unsigned char* text, std::size_t left) {
    const unsigned char lead = text[0];
    int length = 0;
    char32_t low = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = 0x10000;
    } else {
        return 0;
    }
    if (left < static_cast<std::size_t>(length))
        return 0;
    char32_t value = lead & (0x3F >> (length - 1));
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (text[i] & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < low || surrogate || value > 0x10FFFF ? 0 : length;
}

QString ArgumentText(const char* argument) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(argument);
    const std::size_t size = std::strlen(argument);
    QString text;
    for (std::size_t i = 0; i < size;) {
        const int length = Utf8SequenceLength(bytes + i, size - i);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(0xDC00 + bytes[i]));
            ++i;
            continue;
        }
        text += QString::fromUtf8(argument + i, length);
        i += static_cast<std::size_t>(length);
    }
    return text;
}

}  // namespace
#endif

QStringList ProgramArguments(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    (void)argc;
    (void)argv;
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(ArgumentText(argv[i]));
    return arguments;
#endif
}

std::string PathArgument(const QString& argument) {
#ifdef Q_OS_WIN
    return argument.toStdString();
#else
    std::string bytes;
    const qsizetype size = argument.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = argument[i].unicode();
        const bool pairs = QChar::isHighSurrogate(unit) && i + 1 < size &&
                           QChar::isLowSurrogate(argument[i + 1].unicode());
        if (unit >= 0xDC80 && unit <= 0xDCFF && !pairs) {
            bytes += static_cast<char>(unit - 0xDC00);
            continue;
        }
        const qsizetype length = pairs ? 2 : 1;
        bytes += argument.mid(i, length).toStdString();
        i += length - 1;
    }
    return bytes;
#endif
}

}  // namespace orvel::cli
