// The virtual radio's line on Windows: a COM port lent by scripts/wine-radio-lines under wine
// (lent_line.h). The tool opens that port through wine's serial driver, as it would a real one.
#include <system_error>

#include "virtual_radio.h"

namespace orvel::sim {

bool VirtualRadio::Start(std::string* error) {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        if (error != nullptr)
            *error = "the virtual radio is already running";
        return false;
    }
    if (!line_->Borrow(error))
        return false;
    {
        std::lock_guard lock(mutex_);
        devicePath_ = line_->PortName();
        engine_.ForgetPartialFrame();
    }
    stopping_ = false;
    try {
        thread_ = std::thread(&VirtualRadio::Serve, this);
    } catch (const std::system_error& e) {
        CloseDescriptors();
        if (error != nullptr)
            *error = std::string("thread: ") + e.what();
        return false;
    }
    return true;
}

void VirtualRadio::Stop() {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        stopping_ = true;
        line_->Shut();
        thread_.join();
    }
    CloseDescriptors();
}

void VirtualRadio::CloseDescriptors() {
    line_->GiveBack();
}

void VirtualRadio::Serve() {
    std::uint8_t buffer[512];
    std::vector<RadioAnswer> answers;
    while (!stopping_) {
        const int count = line_->Receive(buffer, sizeof buffer);
        if (count <= 0)
            return;
        if (!Take(buffer, static_cast<std::size_t>(count), answers))
            return;
    }
}

bool VirtualRadio::WriteAll(const std::uint8_t* bytes, std::size_t count) {
    return !stopping_ && line_->SendAll(bytes, count);
}

}  // namespace orvel::sim
