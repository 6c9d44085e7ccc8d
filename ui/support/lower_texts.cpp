#include "lower_texts.h"

#include <QCoreApplication>

#include "memory_image.h"

namespace orvel {

namespace {

QString Translate(std::string_view text) {
    const std::string source(text);
    return QCoreApplication::translate(orvel::kTextContext.data(), source.c_str());
}

}  // namespace

QString CoreText(std::string_view text) {
    // The list's first column holds the channel labels as the files do.
    for (int channel = 1; channel <= orvel::kChannelCount; ++channel) {
        if (text == orvel::ChannelLabel(channel))
            return CoreText(orvel::ChannelLabelText(channel));
    }
    return Translate(text);
}

std::string CoreTextUtf8(std::string_view text) {
    return CoreText(text).toStdString();
}

QString CoreText(const orvel::Message& message) {
    QString text = Translate(message.text);
    if (text.contains(QLatin1String("%1")))
        text = text.arg(QString::fromStdString(orvel::MessageNumber(message)));
    return text;
}

QString CoreLines(const orvel::Message& message) {
    return CoreText(message) + QStringLiteral("\r\n");
}

}  // namespace orvel
