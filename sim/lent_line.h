// A serial line lent by scripts/wine-radio-lines, for the tests under wine: Windows cannot make
// a pseudo-terminal, so the script makes one on the Linux side, points a COM port of the wine
// prefix at it and carries the bytes between that terminal and this connection. What is sent
// here arrives at the COM port; what the COM port's user writes is received here.
// ORVEL_RADIO_LINES names the script's address ("host:port").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvel::sim {

class LentLine {
public:
    LentLine() = default;
    ~LentLine();
    LentLine(const LentLine&) = delete;
    LentLine& operator=(const LentLine&) = delete;

    // Borrows a fresh line; false (with a reason) when none can be had.
    bool Borrow(std::string* error);
    // The COM port at the other end, e.g. "COM20"; empty before Borrow.
    const std::string& PortName() const { return portName_; }
    // Blocks until bytes come (their count) or the line is shut or gone (0 or less).
    int Receive(std::uint8_t* buffer, std::size_t size);
    bool SendAll(const std::uint8_t* bytes, std::size_t count);
    // Wakes a Receive waiting on another thread; the script then takes the port away.
    void Shut();
    void GiveBack();

private:
    std::uintptr_t socket_ = ~std::uintptr_t{0};
    bool networking_ = false;
    std::string portName_;
};

}  // namespace orvel::sim
