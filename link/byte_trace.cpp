#include "byte_trace.h"

#include <QDateTime>
#include <cerrno>
#include <cstring>

#include "file_access.h"
#include "radio_frame.h"

namespace orvel {

ByteTrace::~ByteTrace() {
    Flush();
    if (file_ != nullptr)
        std::fclose(file_);
}

bool ByteTrace::Open(const std::string& path, std::string& error) {
    if (!WritableTarget(path, error)) {
        error = path + ": " + error;
        return false;
    }
    path_ = path;
    // Every byte of a radio's configuration is in it.
    file_ = OpenAppending(path, Readers::Owner);
    if (file_ == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void ByteTrace::Sent(std::uint8_t byte) {
    Add('>', byte);
}
void ByteTrace::Received(std::uint8_t byte) {
    Add('<', byte);
}
void ByteTrace::Discarded(std::uint8_t byte) {
    Add('x', byte);
}

void ByteTrace::Add(char direction, std::uint8_t byte) {
    if (file_ == nullptr)
        return;
    // A frame is complete at eight bytes; an answer runs until the next frame starts.
    if (direction != direction_ || (direction == '>' && run_.size() == kFrameSize))
        Flush();
    if (run_.empty()) {
        direction_ = direction;
        startedAt_ = QDateTime::currentDateTime()
                         .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                         .toStdString();
    }
    run_.push_back(byte);
}

void ByteTrace::Flush() {
    if (file_ == nullptr || run_.empty())
        return;
    const char* label = direction_ == '>' ? "TX" : direction_ == '<' ? "RX" : "RX discarded";
    bool ok = std::fprintf(file_, "%s %s", startedAt_.c_str(), label) >= 0;
    for (std::uint8_t b : run_)
        ok = std::fprintf(file_, " %02X", b) >= 0 && ok;
    ok = std::fprintf(file_, "\n") >= 0 && ok;
    ok = std::fflush(file_) == 0 && ok;
    run_.clear();
    direction_ = 0;
    if (ok)
        return;
    // One word about it is enough; every further frame would fail the same way.
    const std::string reason = path_ + ": " + std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
    if (onWriteFailure_)
        onWriteFailure_(reason);
}

}  // namespace orvel
