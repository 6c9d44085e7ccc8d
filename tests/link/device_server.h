// A serial device server in the test: it serves a radio's terminal over TCP, as Telnet with
// COM-port control (RFC 2217) or raw, and makes the faults a real one does not: a server that
// answers another parity, one that closes mid-frame, one that never answers, one that speaks
// plain Telnet (NVT) without binary mode, and hostile ones that send without end or drip.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which must come first.
#include <windows.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

#ifdef _WIN32
// The few POSIX calls the server makes, on Winsock; the radio's line is its COM port.
using ssize_t = long long;
constexpr int MSG_NOSIGNAL = 0;
constexpr int SHUT_RDWR = SD_BOTH;
constexpr int SOCK_CLOEXEC = 0;
inline bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
inline int SocketOf(SOCKET s) {
    return static_cast<int>(s);
}
inline int close(int fd) {
    return closesocket(static_cast<SOCKET>(fd));
}
inline int poll(pollfd* fds, unsigned long count, int milliseconds) {
    return WSAPoll(fds, count, milliseconds);
}
inline int accept4(int fd, sockaddr* addr, int* size, int) {
    return SocketOf(::accept(static_cast<SOCKET>(fd), addr, size));
}
inline ssize_t read(int fd, void* buffer, std::size_t size) {
    return ::recv(static_cast<SOCKET>(fd), static_cast<char*>(buffer), static_cast<int>(size), 0);
}
inline ssize_t send(int fd, const std::uint8_t* data, std::size_t size, int flags) {
    return ::send(static_cast<SOCKET>(fd), reinterpret_cast<const char*>(data),
                  static_cast<int>(size), flags);
}
inline void usleep(unsigned microseconds) {
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

// The radio's COM port, read without waiting.
class RadioLine {
public:
    explicit RadioLine(const std::string& device) {
        if (device.empty())
            return;
        handle_ = CreateFileA(("\\\\.\\" + device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(handle_, &dcb);
        dcb.BaudRate = 9600;
        dcb.ByteSize = 8;
        dcb.Parity = EVENPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        SetCommState(handle_, &dcb);
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.WriteTotalTimeoutConstant = 1000;
        SetCommTimeouts(handle_, &timeouts);
    }
    ~RadioLine() {
        if (Open())
            CloseHandle(handle_);
    }
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    ssize_t Read(std::uint8_t* buffer, std::size_t size) {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr))
            return -1;
        return static_cast<ssize_t>(got);
    }
    void Write(std::uint8_t byte) {
        DWORD wrote = 0;
        WriteFile(handle_, &byte, 1, &wrote, nullptr);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
#else
inline bool StartWinsock() {
    return true;
}

// The radio's terminal, raw.
class RadioLine {
public:
    explicit RadioLine(const std::string& device) {
        if (device.empty())
            return;
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        ::tcgetattr(fd_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd_, TCSANOW, &raw);
    }
    ~RadioLine() {
        if (Open())
            ::close(fd_);
    }
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;
    bool Open() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    ssize_t Read(std::uint8_t* buffer, std::size_t size) { return ::read(fd_, buffer, size); }
    void Write(std::uint8_t byte) { static_cast<void>(::write(fd_, &byte, 1)); }

private:
    int fd_ = -1;
};
#endif

struct ServerFaults {
    bool telnet = true;
    int parityAnswer = -1;  // answers this RFC 2217 parity code instead of the one asked
    // Answers this SET command (1 baud rate .. 4 stop size) with wrongAnswer instead.
    int wrongSetting = -1;
    std::vector<std::uint8_t> wrongAnswer{};
    bool refuseBinary = false;   // DONT and WONT BINARY: CR travels as CR NUL both ways
    bool refuseComPort = false;  // DONT COM-PORT-OPTION
    bool silent = false;         // takes the connection, then neither answers nor reads
    long closeAfterBytes = -1;   // hangs up once the tool has sent this many data bytes
    bool sendNoise = false;      // opens with Telnet commands the tool must strip (NOP, WILL ECHO)
    std::vector<std::uint8_t> greeting{};  // data bytes sent as soon as the tool connects
    std::vector<std::uint8_t> raw{};       // bytes sent as they are as soon as the tool connects
    // Sent over and over, as they are, from the start, once the line is set up or once the
    // tool has sent data; from then on the server reads nothing.
    std::vector<std::uint8_t> endless{};
    enum { kAtOnce, kAfterSetUp, kAfterData } endlessFrom = kAtOnce;
    int trickleMs = 0;  // sends its answers a byte at a time, this far apart
};

// A local TCP port that nothing listens on: bound once, then let go.
inline int RefusingPort() {
    StartWinsock();
    const auto fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t size = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    close(static_cast<int>(fd));
    return ntohs(addr.sin_port);
}

// A free local TCP port, for a server started elsewhere (ser2net).
inline int FreePort() {
    return RefusingPort();
}

class DeviceServer {
public:
    // `device`: the terminal of the radio served; empty serves nothing but the faults.
    DeviceServer(std::string device, ServerFaults faults)
        : device_(std::move(device)), faults_(faults) {
        StartWinsock();
        listen_ = static_cast<int>(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listen_, 4);
        socklen_t size = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &size);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~DeviceServer() {
        stop_ = true;
        thread_.join();
        close(listen_);
    }
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    int Port() const { return port_; }
    std::string Url() const {
        return std::string(faults_.telnet ? "rfc2217" : "socket") +
               "://127.0.0.1:" + std::to_string(port_);
    }
    // The COM-port commands the tool sent: code and value.
    std::vector<std::vector<std::uint8_t>> ComPortCommands() const {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    // The data bytes the tool sent, Telnet stripped.
    std::vector<std::uint8_t> DataFromTool() const {
        std::lock_guard lock(mutex_);
        return data_;
    }
    // Every byte the tool sent, as it came over the wire.
    std::vector<std::uint8_t> WireFromTool() const {
        std::lock_guard lock(mutex_);
        return wire_;
    }
    // Sends `bytes` to the tool as they are, Telnet commands and all; waits up to 1 s for the
    // tool to connect. False when none did.
    bool SendToTool(const std::vector<std::uint8_t>& bytes) {
        for (int waited = 0; client_ < 0 && waited < 1000; waited += 10)
            usleep(10000);
        if (client_ < 0)
            return false;
        Send(client_, bytes);
        return true;
    }

private:
    static constexpr std::uint8_t kIac = 255;

    void Serve() {
        while (!stop_) {
            pollfd waiting{static_cast<decltype(pollfd::fd)>(listen_), POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            client_ = client;
            Session(client);
            client_ = -1;
            close(client);
        }
    }

    void Session(int client) {
        if (faults_.silent) {
            while (!stop_)
                usleep(20000);
            return;
        }
        RadioLine radio(device_);
        Send(client, faults_.raw);
        if (!faults_.endless.empty() && faults_.endlessFrom == ServerFaults::kAtOnce)
            return Endless(client);
        if (faults_.telnet && faults_.sendNoise)
            Send(client, {kIac, 241, kIac, 251, 1, kIac, 253, 24});  // NOP, WILL ECHO, DO TTYPE
        // In one go: a send a byte costs long enough under wine to outlast the set-up's bound.
        std::vector<std::uint8_t> greeting;
        for (std::uint8_t byte : faults_.greeting) {
            greeting.push_back(byte);
            if (faults_.telnet && byte == kIac)
                greeting.push_back(kIac);
        }
        Send(client, greeting);
        std::vector<std::uint8_t> sub;
        enum { Data, Command, Option, Sub, SubIac } state = Data;
        std::uint8_t command = 0;
        bool lastWasCr = false;
        long sent = 0;
        while (!stop_) {
#ifdef _WIN32
            // A COM port cannot be polled with the socket: it is read without waiting instead.
            pollfd fds[1] = {{static_cast<decltype(pollfd::fd)>(client), POLLIN, 0}};
            const int ready = poll(fds, 1, 5);
            if (radio.Open()) {
#else
            pollfd fds[2] = {{client, POLLIN, 0}, {radio.Descriptor(), POLLIN, 0}};
            const int ready = ::poll(fds, radio.Open() ? 2 : 1, 20);
            if (ready <= 0)
                continue;
            if (radio.Open() && (fds[1].revents & POLLIN)) {
#endif
                std::uint8_t buffer[256];
                const ssize_t got = radio.Read(buffer, sizeof buffer);
                std::vector<std::uint8_t> out;
                for (ssize_t i = 0; i < got; ++i) {
                    out.push_back(buffer[i]);
                    if (faults_.telnet && buffer[i] == kIac)
                        out.push_back(kIac);
                    if (faults_.telnet && faults_.refuseBinary && buffer[i] == '\r')
                        out.push_back(0);
                }
                Send(client, out);
            }
            if (ready <= 0 || !(fds[0].revents & (POLLIN | POLLHUP)))
                continue;
            std::uint8_t buffer[256];
            const ssize_t got = read(client, buffer, sizeof buffer);
            if (got <= 0)
                break;
            {
                std::lock_guard lock(mutex_);
                wire_.insert(wire_.end(), buffer, buffer + got);
            }
            for (ssize_t i = 0; i < got; ++i) {
                const std::uint8_t byte = buffer[i];
                if (!faults_.telnet) {
                    if (!Forward(client, radio, byte, sent))
                        goto done;
                    continue;
                }
                switch (state) {
                    case Data:
                        if (byte == kIac) {
                            state = Command;
                        } else if (faults_.refuseBinary && lastWasCr && byte == 0) {
                            // the NUL that carries a CR outside binary mode
                        } else if (!Forward(client, radio, byte, sent)) {
                            goto done;
                        }
                        lastWasCr = byte == '\r';
                        break;
                    case Command:
                        if (byte == kIac) {
                            state = Data;
                            if (!Forward(client, radio, byte, sent))
                                goto done;
                        } else if (byte >= 251 && byte <= 254) {
                            command = byte;
                            state = Option;
                        } else {
                            state = byte == 250 ? (sub.clear(), Sub) : Data;
                        }
                        break;
                    case Option:
                        OnOption(client, command, byte);
                        state = Data;
                        break;
                    case Sub:
                        if (byte == kIac) {
                            state = SubIac;
                        } else {
                            sub.push_back(byte);
                        }
                        break;
                    case SubIac:
                        if (byte == kIac) {
                            sub.push_back(kIac);
                            state = Sub;
                        } else {
                            OnSub(client, sub);
                            state = Data;
                        }
                        break;
                }
            }
            if (!faults_.endless.empty() &&
                (faults_.endlessFrom == ServerFaults::kAfterData ? sent > 0
                                                                 : ComPortCommands().size() >= 4))
                return Endless(client);
        }
    done:
        return;
    }

    // Sends faults_.endless until the tool goes or the server stops.
    void Endless(int client) {
        std::vector<std::uint8_t> block;
        while (block.size() < 4096)
            block.insert(block.end(), faults_.endless.begin(), faults_.endless.end());
        while (!stop_) {
            pollfd out{static_cast<decltype(pollfd::fd)>(client), POLLOUT, 0};
            if (poll(&out, 1, 20) == 0)
                continue;
            if ((out.revents & POLLOUT) == 0 ||
                send(client, block.data(), block.size(), MSG_NOSIGNAL) <= 0)
                return;
        }
    }

    bool Forward(int client, RadioLine& radio, std::uint8_t byte, long& sent) {
        {
            std::lock_guard lock(mutex_);
            data_.push_back(byte);
        }
        if (radio.Open())
            radio.Write(byte);
        if (echo_)
            Send(client, {byte});
        ++sent;
        if (faults_.closeAfterBytes >= 0 && sent >= faults_.closeAfterBytes) {
            ::shutdown(client, SHUT_RDWR);
            return false;
        }
        return true;
    }

    void OnOption(int client, std::uint8_t command, std::uint8_t option) {
        if (command == 253 && option == 1)
            echo_ = true;      // a tool that asks for echo gets its own bytes back
        if (command == 251) {  // WILL
            const bool take = option == 44 ? !faults_.refuseComPort : Takes(option);
            Send(client, {kIac, static_cast<std::uint8_t>(take ? 253 : 254), option});
        } else if (command == 253) {  // DO
            Send(client, {kIac, static_cast<std::uint8_t>(Takes(option) ? 251 : 252), option});
        }
    }

    // The options taken besides COM-port control: suppress-go-ahead, and binary unless the
    // server keeps to plain Telnet.
    bool Takes(std::uint8_t option) const {
        return (option == 0 && !faults_.refuseBinary) || option == 3;
    }

    void OnSub(int client, std::vector<std::uint8_t> sub) {
        if (sub.size() < 2 || sub[0] != 44)
            return;
        {
            std::lock_guard lock(mutex_);
            commands_.emplace_back(sub.begin() + 1, sub.end());
        }
        if (sub[1] == 3 && faults_.parityAnswer >= 0)
            sub[2] = static_cast<std::uint8_t>(faults_.parityAnswer);
        if (sub[1] == faults_.wrongSetting) {
            sub.resize(2);
            sub.insert(sub.end(), faults_.wrongAnswer.begin(), faults_.wrongAnswer.end());
        }
        std::vector<std::uint8_t> reply = {kIac, 250, 44, static_cast<std::uint8_t>(sub[1] + 100)};
        for (std::size_t i = 2; i < sub.size(); ++i) {
            reply.push_back(sub[i]);
            if (sub[i] == kIac)
                reply.push_back(kIac);
        }
        reply.insert(reply.end(), {kIac, 240});
        Send(client, reply);
    }

    void Send(int client, const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size() && !stop_) {
            const std::size_t size = faults_.trickleMs > 0 ? 1 : bytes.size() - done;
            const ssize_t n = send(client, bytes.data() + done, size, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
            if (faults_.trickleMs > 0)
                usleep(static_cast<unsigned>(faults_.trickleMs) * 1000);
        }
    }

    std::string device_;
    ServerFaults faults_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> client_{-1};
    bool echo_ = false;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> commands_;
    std::vector<std::uint8_t> data_;
    std::vector<std::uint8_t> wire_;
};

}  // namespace orvel::testing
