#include "document.h"

#include <algorithm>

#include "codec.h"
#include "document_step.h"
#include "radio_fields.h"

namespace orvel {

MemoryImage DocumentState::encoded() const {
    MemoryImage bytes = image;
    EncodeImage(table, settings, bytes);
    // A row that shows as `image` reads as a file keeps its bytes, with the bits no column shows
    // (a squelch byte's high half, a stray flag): opening and saving changes no byte. A radio's
    // rate code 0 shows as 4800, which reads otherwise as a file, so such a row is coded anew.
    const DecodedImage asHeld = DecodeImage(image, DecodeSource::FromFile);
    if (asHeld.checksumOk) {
        for (int r = 0; r < kChannelCount; ++r) {
            if (asHeld.table[static_cast<std::size_t>(r)] != table[static_cast<std::size_t>(r)])
                continue;
            const auto at = static_cast<std::ptrdiff_t>(layout::ChannelOffset(r));
            std::copy(image.begin() + at, image.begin() + at + layout::kChannelRecordSize,
                      bytes.begin() + at);
        }
    }
    // Bits of a settings byte that no setting shows (bits 2 and 5..7 of the first mode byte) stay
    // as the file or the radio had them, as an unedited row keeps its record.
    for (std::size_t at = layout::kTxTimeLimitIndex;
         at < layout::kTxTimeLimitIndex + kSettingsBytes; ++at) {
        const std::uint8_t hidden = static_cast<std::uint8_t>(~SettingBitsShown(at));
        bytes[at] = static_cast<std::uint8_t>((bytes[at] & ~hidden) | (image[at] & hidden));
    }
    // A code that names no item shows as no choice (a drop-down) or as the choice held over (an
    // option button). Left as shown, the code stays as the file or the radio had it.
    for (const SettingField& field : kSettingFields) {
        const int width = (1 << field.width) - 1;
        const int code = (image[field.byte] >> field.shift) & width;
        if (code >= static_cast<int>(field.items.size()) &&
            settings.*field.member == settingsAsHeld.*field.member) {
            const int mask = width << field.shift;
            bytes[field.byte] =
                static_cast<std::uint8_t>((bytes[field.byte] & ~mask) | (image[field.byte] & mask));
        }
    }
    bytes[layout::kChecksum] = ImageChecksum(bytes);
    return bytes;
}

bool DocumentState::operator==(const DocumentState& other) const {
    return table == other.table && settings == other.settings && encoded() == other.encoded();
}

Document::Document(QObject* parent) : QObject(parent) {
    m_undoStack.setUndoLimit(kMaxSteps);
}

bool Document::Change(const QString& label, const std::function<void(DocumentState&)>& edit) {
    DocumentState after = m_state;
    edit(after);
    return ChangeTo(label, after);
}

bool Document::ChangeTo(const QString& label, const DocumentState& state) {
    if (state == m_state)
        return false;
    // The stack does the change: pushing a step runs its redo().
    m_undoStack.push(new DocumentStep(*this, label, m_state, state));
    return true;
}

void Document::Show(const DocumentState& state) {
    Put(state);
}

void Document::Put(const DocumentState& state) {
    m_state = state;
    emit changed();
    if (isModified() != m_modified) {
        m_modified = !m_modified;
        emit modifiedChanged(m_modified);
    }
}

void Document::setFilePath(const QString& path) {
    if (path == m_filePath && !m_origin)
        return;
    m_origin.reset();
    m_filePath = path;
    emit filePathChanged(path);
}

void Document::setOrigin(const PlanOrigin& origin) {
    m_filePath.clear();
    m_origin = origin;
    emit filePathChanged(m_filePath);
}

void Document::MarkKept() {
    m_kept = m_state;
    if (m_modified) {
        m_modified = false;
        emit modifiedChanged(false);
    }
}

}  // namespace orvel
