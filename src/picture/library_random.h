#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace dorvanix {

// The source of the random draws that decide which velocities of the layout relaxation step.
// The picture's owner hands it in; the relaxation is the only thing that draws.
using RandomSource = std::function<int()>;

// The C library's rand() sequence from its default seed, srand(1), as the GNU C library makes
// it: an additive feedback generator over 31 words, r_i = r_(i-31) + r_(i-3) mod 2^32, started
// by the multiplier 16807 modulo 2^31 - 1 and run 310 draws ahead; each draw is r_i >> 1. Every
// picture holds a sequence of its own, so a picture drawn from the start always gets the same
// frames, on any platform and next to any other picture, where the process-wide rand() would
// be shared and differ between C libraries.
class LibraryRandom {
  public:
    LibraryRandom();
    // The next draw, 0 ... 2^31 - 1.
    int operator()();

  private:
    static constexpr std::size_t kWords = 34;  // r_(i-31) and r_(i-3) are both within reach
    std::array<std::uint32_t, kWords> words_{};
    std::size_t next_ = 0;  // index i of the next word, modulo kWords
    std::uint32_t advance();
};

}  // namespace dorvanix
