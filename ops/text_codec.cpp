#include "text_codec.h"

#include <QStringDecoder>

#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#endif

namespace orvel {

QString DecodeUtf8OrGbk(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return gbk.decode(bytes);
#ifdef Q_OS_WIN
    // Qt built without ICU knows GBK by no name; Windows knows it as code page 936.
    const int length =
        MultiByteToWideChar(936, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(936, 0, bytes.constData(), int(bytes.size()), wide.data(), length);
    return QString::fromStdWString(wide);
#else
    return QString::fromLocal8Bit(bytes);
#endif
}

}  // namespace orvel
