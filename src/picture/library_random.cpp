#include "picture/library_random.h"

namespace dorvanix {

namespace {

constexpr std::size_t kLag = 31;
constexpr std::size_t kTap = 3;
constexpr std::size_t kWarmUp = 310;

}  // namespace

LibraryRandom::LibraryRandom() {
    // The seed 1, then each word 16807 times the one before modulo 2^31 - 1.
    long long word = 1;
    words_[0] = 1;
    for (std::size_t i = 1; i < kLag; ++i) {
        word = word * 16807 % 2147483647;
        words_[i] = static_cast<std::uint32_t>(word);
    }
    for (std::size_t i = kLag; i < kLag + kTap; ++i) words_[i] = words_[i - kLag];
    next_ = kLag + kTap;
    for (std::size_t i = 0; i < kWarmUp; ++i) advance();
}

std::uint32_t LibraryRandom::advance() {
    const std::uint32_t word =
        words_[(next_ + kWords - kLag) % kWords] + words_[(next_ + kWords - kTap) % kWords];
    words_[next_ % kWords] = word;
    next_ = (next_ + 1) % kWords;
    return word;
}

int LibraryRandom::operator()() {
    return static_cast<int>(advance() >> 1);
}

}  // namespace dorvanix
