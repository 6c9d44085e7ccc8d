// A serial device server in the test: it serves a radio's terminal over TCP, as Telnet with
// COM-port control (RFC 2217) or raw, and makes the faults a real one does not: a server that
// answers another parity, one that closes mid-frame, one that never answers.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

struct ServerFaults {
    bool telnet = true;
    int parityAnswer = -1;       // answers this RFC 2217 parity code instead of the one asked
    bool refuseComPort = false;  // DONT COM-PORT-OPTION
    bool silent = false;         // takes the connection, then neither answers nor reads
    long closeAfterBytes = -1;   // hangs up once the tool has sent this many data bytes
    bool sendNoise = false;      // opens with Telnet commands the tool must strip (NOP, WILL ECHO)
    std::vector<std::uint8_t> greeting{};  // data bytes sent as soon as the tool connects
};

// A local TCP port that nothing listens on: bound once, then let go.
inline int RefusingPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t size = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    ::close(fd);
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
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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
        ::close(listen_);
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

private:
    static constexpr std::uint8_t kIac = 255;

    void Serve() {
        while (!stop_) {
            pollfd waiting{listen_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            Session(client);
            ::close(client);
        }
    }

    void Session(int client) {
        if (faults_.silent) {
            while (!stop_)
                ::usleep(20000);
            return;
        }
        int radio = -1;
        if (!device_.empty()) {
            radio = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            termios raw{};
            ::tcgetattr(radio, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(radio, TCSANOW, &raw);
        }
        if (faults_.telnet && faults_.sendNoise)
            Send(client, {kIac, 241, kIac, 251, 1, kIac, 253, 24});  // NOP, WILL ECHO, DO TTYPE
        for (std::uint8_t byte : faults_.greeting) {
            Send(client, {byte});
            if (faults_.telnet && byte == kIac)
                Send(client, {kIac});
        }
        std::vector<std::uint8_t> sub;
        enum { Data, Command, Option, Sub, SubIac } state = Data;
        std::uint8_t command = 0;
        long sent = 0;
        while (!stop_) {
            pollfd fds[2] = {{client, POLLIN, 0}, {radio, POLLIN, 0}};
            if (::poll(fds, radio >= 0 ? 2 : 1, 20) <= 0)
                continue;
            if (radio >= 0 && (fds[1].revents & POLLIN)) {
                std::uint8_t buffer[256];
                const ssize_t got = ::read(radio, buffer, sizeof buffer);
                std::vector<std::uint8_t> out;
                for (ssize_t i = 0; i < got; ++i) {
                    out.push_back(buffer[i]);
                    if (faults_.telnet && buffer[i] == kIac)
                        out.push_back(kIac);
                }
                Send(client, out);
            }
            if (!(fds[0].revents & (POLLIN | POLLHUP)))
                continue;
            std::uint8_t buffer[256];
            const ssize_t got = ::read(client, buffer, sizeof buffer);
            if (got <= 0)
                break;
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
                        } else if (!Forward(client, radio, byte, sent)) {
                            goto done;
                        }
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
        }
    done:
        if (radio >= 0)
            ::close(radio);
    }

    bool Forward(int client, int radio, std::uint8_t byte, long& sent) {
        {
            std::lock_guard lock(mutex_);
            data_.push_back(byte);
        }
        if (radio >= 0)
            static_cast<void>(::write(radio, &byte, 1));
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
            const bool take = option == 44 ? !faults_.refuseComPort : option == 0 || option == 3;
            Send(client, {kIac, static_cast<std::uint8_t>(take ? 253 : 254), option});
        } else if (command == 253) {  // DO
            Send(client,
                 {kIac, static_cast<std::uint8_t>(option == 0 || option == 3 ? 251 : 252), option});
        }
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
        std::vector<std::uint8_t> reply = {kIac, 250, 44, static_cast<std::uint8_t>(sub[1] + 100)};
        for (std::size_t i = 2; i < sub.size(); ++i) {
            reply.push_back(sub[i]);
            if (sub[i] == kIac)
                reply.push_back(kIac);
        }
        reply.insert(reply.end(), {kIac, 240});
        Send(client, reply);
    }

    static void Send(int client, const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }

    std::string device_;
    ServerFaults faults_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    bool echo_ = false;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> commands_;
    std::vector<std::uint8_t> data_;
};

}  // namespace orvel::testing
