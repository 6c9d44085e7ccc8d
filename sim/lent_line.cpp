#include "lent_line.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace orvel::sim {
namespace {

std::string SocketError(const std::string& what) {
    return what + ": error " + std::to_string(WSAGetLastError());
}

}  // namespace

LentLine::~LentLine() {
    GiveBack();
}

bool LentLine::Borrow(std::string* error) {
    auto fail = [&](std::string reason) {
        GiveBack();
        if (error != nullptr)
            *error = std::move(reason);
        return false;
    };
    const char* lender = std::getenv("ORVEL_RADIO_LINES");
    if (lender == nullptr || *lender == '\0')
        return fail(
            "no serial line for the virtual radio: ORVEL_RADIO_LINES names none "
            "(scripts/wine-radio-lines lends them under wine)");
    const std::string address = lender;
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return fail("ORVEL_RADIO_LINES is not host:port: " + address);

    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return fail("WSAStartup failed");
    networking_ = true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.substr(0, colon).c_str(), address.substr(colon + 1).c_str(), &hints,
                    &found) != 0 ||
        found == nullptr)
        return fail(SocketError("ORVEL_RADIO_LINES " + address));
    const SOCKET line = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (line == INVALID_SOCKET) {
        freeaddrinfo(found);
        return fail(SocketError("socket"));
    }
    socket_ = static_cast<std::uintptr_t>(line);
    const int connected = connect(line, found->ai_addr, static_cast<int>(found->ai_addrlen));
    freeaddrinfo(found);
    if (connected != 0)
        return fail(SocketError("no line lender at " + address));
    const BOOL noDelay = TRUE;
    setsockopt(line, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);

    // The lender's first line names the port, or says why there is none.
    std::string name;
    for (char c = 0; name.size() < 200;) {
        if (recv(line, &c, 1, 0) != 1)
            return fail("the line lender closed the connection before naming a port");
        if (c == '\n')
            break;
        name += c;
    }
    if (name.rfind("COM", 0) != 0)
        return fail("the line lender lent no port: " + name);
    portName_ = name;
    return true;
}

int LentLine::Receive(std::uint8_t* buffer, std::size_t size) {
    return recv(static_cast<SOCKET>(socket_), reinterpret_cast<char*>(buffer),
                static_cast<int>(size), 0);
}

bool LentLine::SendAll(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const int sent = send(static_cast<SOCKET>(socket_), reinterpret_cast<const char*>(bytes),
                              static_cast<int>(count), 0);
        if (sent <= 0)
            return false;
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

void LentLine::Shut() {
    if (static_cast<SOCKET>(socket_) != INVALID_SOCKET)
        shutdown(static_cast<SOCKET>(socket_), SD_BOTH);
}

void LentLine::GiveBack() {
    if (static_cast<SOCKET>(socket_) != INVALID_SOCKET)
        closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<std::uintptr_t>(INVALID_SOCKET);
    if (networking_)
        WSACleanup();
    networking_ = false;
    portName_.clear();
}

}  // namespace orvel::sim
