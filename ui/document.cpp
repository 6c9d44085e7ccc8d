#include "document.h"

#include "codec.h"
#include "document_step.h"
#include "radio_fields.h"

using namespace orvel;

MemoryImage DocumentState::Encoded() const {
    MemoryImage bytes = image;
    EncodeImage(table, settings, bytes);
    // A drop-down's code that names no item shows as no choice, and no choice codes as 0xFF.
    // Left without a choice, the code stays as the file or the radio had it: opening and
    // saving changes no byte.
    const RadioSettings held = DecodeSettings(image, settings);
    for (const SettingField& field : kSettingFields) {
        if (field.dropDown && settings.*field.member == -1 && held.*field.member == -1) {
            const int mask = ((1 << field.width) - 1) << field.shift;
            bytes[field.byte] =
                static_cast<std::uint8_t>((bytes[field.byte] & ~mask) | (image[field.byte] & mask));
        }
    }
    bytes[layout::kChecksum] = ImageChecksum(bytes);
    return bytes;
}

bool DocumentState::operator==(const DocumentState& other) const {
    return table == other.table && settings == other.settings && Encoded() == other.Encoded();
}

Document::Document(QObject* parent) : QObject(parent) {
    undoStack_.setUndoLimit(kMaxSteps);
}

bool Document::Change(const QString& label, const std::function<void(DocumentState&)>& edit) {
    DocumentState after = state_;
    edit(after);
    return ChangeTo(label, after);
}

bool Document::ChangeTo(const QString& label, const DocumentState& state) {
    if (state == state_)
        return false;
    DocumentState before = state_;
    Put(state);
    undoStack_.push(new DocumentStep(*this, label, std::move(before), state));
    return true;
}

void Document::Show(const DocumentState& state) {
    Put(state);
}

void Document::Put(const DocumentState& state) {
    state_ = state;
    emit changed();
    if (IsModified() != modified_) {
        modified_ = !modified_;
        emit modifiedChanged(modified_);
    }
}

void Document::SetFilePath(const QString& path) {
    if (path == filePath_)
        return;
    filePath_ = path;
    emit filePathChanged(path);
}

void Document::MarkKept() {
    kept_ = state_;
    if (modified_) {
        modified_ = false;
        emit modifiedChanged(false);
    }
}
