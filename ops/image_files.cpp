#include "image_files.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <string_view>

#include "channel_file.h"
#include "codec.h"
#include "text_codec.h"
#include "transfer.h"

namespace orvel {

FileKind KindOf(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == QLatin1String("dat"))
        return FileKind::Dat;
    if (suffix == QLatin1String("json"))
        return FileKind::Json;
    if (suffix == QLatin1String("csv"))
        return FileKind::Csv;
    return FileKind::Unknown;
}

namespace {

std::string HexByte(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

ImageFileRead Refused(const std::string& path, const std::string& reason,
                      bool badChecksum = false) {
    return {false, badChecksum, path + ": " + reason};
}

}  // namespace

ImageFileRead ReadImageFile(const std::string& path, const FrequencyLimits& limits,
                            MemoryImage& image, const std::string& limitsFault) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const FileKind kind = KindOf(path);
    if (!(kind == FileKind::Dat ? ReadChannelFileHead(path, bytes, error)
                                : ReadFileBytes(path, bytes, error)))
        return Refused(path, error);
    if (kind == FileKind::Dat) {
        const ChannelFileContent content = ImageFromChannelFile(bytes);
        if (!content.complete) {
            return Refused(path, std::to_string(bytes.size()) + " bytes; a channel file holds " +
                                     std::to_string(kImageSize));
        }
        const std::uint8_t computed = ImageChecksum(content.image);
        if (computed != content.image[layout::kChecksum]) {
            return Refused(path,
                           "checksum " + HexByte(content.image[layout::kChecksum]) + ", computed " +
                               HexByte(computed),
                           true);
        }
        image = content.image;
        return {true, false, {}};
    }
    QByteArray text(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    // Spreadsheets save CSV in the system's code page unless told otherwise.
    if (kind == FileKind::Csv)
        text = DecodeUtf8OrGbk(text).toUtf8();
    const std::string_view view(text.constData(), std::size_t(text.size()));
    ImportError importError;
    const bool ok = kind == FileKind::Json ? ImageFromJson(view, limits, image, importError)
                                           : ImageFromCsv(view, limits, image, importError);
    if (!ok) {
        // Limits that hold no frequency refuse every one: the configuration is the cause.
        const bool frequency = importError.column == "rx" || importError.column == "tx";
        const std::string cause = frequency && !limitsFault.empty() ? "; " + limitsFault : "";
        return Refused(path, importError.Text() + cause);
    }
    return {true, false, {}};
}

namespace {

std::string TransferText(FileKind kind, const MemoryImage& image, const DecodedImage& decoded) {
    return kind == FileKind::Json ? ImageToJson(image, decoded) : TableToCsv(decoded.table);
}

}  // namespace

std::vector<std::uint8_t> ImageFileBytes(FileKind kind, const MemoryImage& image,
                                         const FrequencyLimits& limits) {
    if (kind != FileKind::Json && kind != FileKind::Csv)
        return ChannelFileBytes(image);
    const std::string text =
        TransferText(kind, image, DecodeAsShown(image, DecodeSource::FromFile, limits));
    return {text.begin(), text.end()};
}

namespace {

bool ReadsBackAs(FileKind kind, const MemoryImage& image, const FrequencyLimits& limits,
                 ImportError& error, ReadBackFault& fault) {
    if (kind != FileKind::Json && kind != FileKind::Csv)
        return true;
    const DecodedImage decoded = DecodeAsShown(image, DecodeSource::FromFile, limits);
    return ReadsBack(TransferText(kind, image, decoded), kind == FileKind::Csv, image, decoded,
                     error, fault);
}

}  // namespace

bool FindTransferFault(FileKind kind, const MemoryImage& image, const FrequencyLimits& limits,
                       ReadBackFault& fault) {
    ImportError error;
    return !ReadsBackAs(kind, image, limits, error, fault);
}

std::string TransferFault(FileKind kind, const MemoryImage& image, const FrequencyLimits& limits) {
    ImportError error;
    ReadBackFault fault;
    if (ReadsBackAs(kind, image, limits, error, fault))
        return {};
    std::string where = error.column;
    if (error.row > 0) {
        where = "channel " + std::to_string(error.row) +
                (error.column.empty() ? "" : ", column " + error.column);
    }
    return where.empty() ? error.reason : where + ": " + error.reason;
}

SaveOutcome SaveImageFile(const std::string& path, const MemoryImage& image,
                          const FrequencyLimits& limits, bool withoutCopy) {
    const FileKind kind = KindOf(path);
    if (const std::string fault = TransferFault(kind, image, limits); !fault.empty())
        return {SaveStatus::WriteFailed, "not written, as it would not read back: " + fault};
    return SaveFileKeepingCopy(path, ImageFileBytes(kind, image, limits), withoutCopy);
}

}  // namespace orvel
