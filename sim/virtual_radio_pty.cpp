#include "virtual_radio.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace orvel::sim {
namespace {

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool AddFlags(int fd, int statusFlags) {
    const int status = fcntl(fd, F_GETFL);
    if (status < 0 || fcntl(fd, F_SETFL, status | statusFlags) != 0)
        return false;
    const int descriptor = fcntl(fd, F_GETFD);
    return descriptor >= 0 && fcntl(fd, F_SETFD, descriptor | FD_CLOEXEC) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

}  // namespace

bool VirtualRadio::Start(std::string* error) {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        if (error != nullptr)
            *error = "the virtual radio is already running";
        return false;
    }
    auto fail = [&](std::string reason) {
        CloseDescriptors();
        if (error != nullptr)
            *error = std::move(reason);
        return false;
    };

    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
        return fail(SystemError("openpty"));
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail(SystemError("ptsname"));
    // The master is non-blocking so that a client that stops reading cannot hold up Stop.
    if (!MakeRaw(master_) || !MakeRaw(slave_))
        return fail(SystemError("raw mode"));
    if (!AddFlags(master_, O_NONBLOCK) || !AddFlags(slave_, 0))
        return fail(SystemError("fcntl"));
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail(SystemError("pipe"));
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    {
        std::lock_guard lock(mutex_);
        devicePath_ = name;
        engine_.ForgetPartialFrame();
    }
    stopping_ = false;
    try {
        thread_ = std::thread(&VirtualRadio::Serve, this);
    } catch (const std::system_error& e) {
        return fail(std::string("thread: ") + e.what());
    }
    return true;
}

void VirtualRadio::Stop() {
    std::lock_guard lifecycle(lifecycle_);
    if (thread_.joinable()) {
        stopping_ = true;
        const char wake = 1;
        [[maybe_unused]] const ssize_t ignored = write(wakeWrite_, &wake, 1);
        thread_.join();
    }
    CloseDescriptors();
}

void VirtualRadio::CloseDescriptors() {
    CloseFd(master_);
    CloseFd(slave_);
    CloseFd(wakeRead_);
    CloseFd(wakeWrite_);
}

void VirtualRadio::Serve() {
    std::uint8_t buffer[512];
    std::vector<RadioAnswer> answers;
    while (!stopping_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        // The slave we hold keeps hang-ups away, but a timeout guards against spinning on one.
        const int ready = poll(fds, 2, 200);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0) {
            if (fds[0].revents != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count <= 0)
            continue;
        if (!Take(buffer, static_cast<std::size_t>(count), answers))
            return;
    }
}

bool VirtualRadio::WriteAll(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(master_, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The client's input queue is full: wait for room, but give way to Stop.
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, 200) > 0 && fds[1].revents != 0)
            return false;
        if (stopping_)
            return false;
    }
    return true;
}

}  // namespace orvel::sim
