// A fuzz target is one function over one input, built two ways: with libFuzzer (clang, `make
// fuzz`) as the process's LLVMFuzzerTestOneInput, and with the normal compiler into the replay
// that `make test` runs over the committed corpus. A broken property aborts in both, so
// libFuzzer keeps the input and the replay fails.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace orvel::fuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);

[[noreturn]] inline void PropertyFailed(const char* file, int line, const char* condition,
                                        const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n%s\n", file, line, condition, detail.c_str());
    std::abort();
}

// Takes an input apart: control bytes first, then text. Running out gives zeros and empty
// text, so every input is a valid one.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (data_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(data_.front());
        data_.remove_prefix(1);
        return b;
    }
    // A length byte, then up to that many bytes (at most `limit`).
    std::string Text(std::size_t limit) {
        std::size_t length = Byte() % (limit + 1);
        length = std::min(length, data_.size());
        std::string text(data_.substr(0, length));
        data_.remove_prefix(length);
        return text;
    }
    std::string_view Rest() {
        std::string_view rest = data_;
        data_ = {};
        return rest;
    }
    bool Empty() const { return data_.empty(); }

private:
    std::string_view data_;
};

}  // namespace orvel::fuzz

#define FUZZ_CHECK(condition, detail)                                                \
    do {                                                                             \
        if (!(condition))                                                            \
            ::orvel::fuzz::PropertyFailed(__FILE__, __LINE__, #condition, (detail)); \
    } while (false)

#ifdef ORVEL_LIBFUZZER
#define ORVEL_FUZZ_TARGET(name)                                                         \
    int name(const std::uint8_t* data, std::size_t size);                               \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        return name(data, size);                                                        \
    }                                                                                   \
    int name(const std::uint8_t* data, std::size_t size)
#else
#define ORVEL_FUZZ_TARGET(name) int name(const std::uint8_t* data, std::size_t size)
#endif
