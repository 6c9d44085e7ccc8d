// A session that logs out (SIGTERM, SIGHUP) in the middle of a write would leave the radio with
// part of its words. While a hold lives those signals wait; when it ends, one that came does
// what it would have done at once, usually ending the program.
#pragma once

namespace orvel {

class TerminationHold {
public:
    TerminationHold();
    ~TerminationHold();
    TerminationHold(const TerminationHold&) = delete;
    TerminationHold& operator=(const TerminationHold&) = delete;
};

}  // namespace orvel
