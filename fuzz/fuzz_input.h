#pragma once
// What every fuzz target shares: a front-to-back reader of the input, so seed files can be written
// by hand byte by byte, and a check that stops the run with a message when an invariant breaks.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Reads the input from the front; past its end every read gives zeros, so any input is a valid one.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return offset_ >= size_; }
    size_t remaining() const { return empty() ? 0 : size_ - offset_; }

    // Little-endian, as a hex dump of a seed file reads.
    template <typename T>
    T read() {
        uint64_t value = 0;
        for (size_t i = 0; i < sizeof(T); ++i, ++offset_) {
            if (offset_ < size_) value |= static_cast<uint64_t>(data_[offset_]) << (8 * i);
        }
        return static_cast<T>(value); // modular for signed types
    }
    uint8_t byte() { return read<uint8_t>(); }
    bool flag() { return (byte() & 1) != 0; }

    // A value in [low, high], high - low < 2^32, from as few bytes as the width of the range needs.
    int64_t range(int64_t low, int64_t high) {
        const uint64_t span = static_cast<uint64_t>(high - low);
        const uint64_t raw = span <= 0xFF ? byte() : span <= 0xFFFF ? read<uint16_t>() : read<uint32_t>();
        return low + static_cast<int64_t>(raw % (span + 1));
    }

    // The rest of the input, as it is.
    const uint8_t* rest(size_t* count) {
        *count = remaining();
        const uint8_t* at = data_ + (offset_ < size_ ? offset_ : size_);
        offset_ = size_;
        return at;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

[[noreturn]] inline void fuzzInvariantBroken(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

// An invariant of the code under test; libFuzzer saves the input that breaks it as a crash.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : fuzzInvariantBroken(#condition, __FILE__, __LINE__))
