#include "gbk.h"

namespace orvel {

std::size_t GbkLength(std::string_view utf8) {
    std::size_t length = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80) {
            length += 1;
        } else if ((c & 0xC0) != 0x80) {
            length += 2;  // lead byte of a multi-byte character
        }
    }
    return length;
}

}  // namespace orvel
