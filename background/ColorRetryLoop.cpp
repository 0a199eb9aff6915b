// SPDX-License-Identifier: MIT
#include "background/ColorRetryLoop.h"

#include "background/RandomSource.h"

#include <array>
#include <cstdint>

// Where the loader picks a function's variant for the processor, the block test also comes in a version
// for AVX2, whose eight 32-bit multiplications at once make it about four times as fast.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__)
#define ZELVORANDINE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZELVORANDINE_VECTOR_CLONES
#endif

namespace {

// Attempts tried one by one before blocks take over: most settings accept within the first few.
constexpr int kOneByOne = 8;
// Attempts per block.
constexpr int kBlock = 128;

// x -> mul x + add moves a state that many values on: for attempt i of a block, its red, green and blue
// values are 3i + 1, 3i + 2 and 3i + 3 values ahead.
struct SJumps {
    std::array<std::uint32_t, kBlock> mulRed, addRed, mulGreen, addGreen, mulBlue, addBlue;
};

constexpr SJumps MakeJumps() {
    SJumps jumps{};
    std::uint32_t mul = 1;
    std::uint32_t add = 0;
    const auto step = [&mul, &add] {
        mul *= CRandomSource::kMultiplier;
        add = add * CRandomSource::kMultiplier + CRandomSource::kIncrement;
    };
    for (std::size_t i = 0; i < kBlock; ++i) {
        step();
        jumps.mulRed[i] = mul;
        jumps.addRed[i] = add;
        step();
        jumps.mulGreen[i] = mul;
        jumps.addGreen[i] = add;
        step();
        jumps.mulBlue[i] = mul;
        jumps.addBlue[i] = add;
    }
    return jumps;
}

constexpr SJumps kJumps = MakeJumps();

// CRandomSource::ScaleBelow of the value that a state gives and n, for |n| <= 1024, in 32-bit integers: with
// m = value x |n| < 2^25, floor(m x 32769 / 2^30) = floor((m + floor(m / 2^15)) / 2^15), and a negative
// n negates it (the scaling truncates toward zero).
struct SScale {
    std::uint32_t nMagnitude;
    int nSign;

    explicit SScale(int n) : nMagnitude(static_cast<std::uint32_t>(n < 0 ? -n : n)), nSign(n < 0 ? -1 : 1) {}

    int Of(std::uint32_t nState) const {
        const std::uint32_t m = static_cast<std::uint32_t>(CRandomSource::ValueOf(nState)) * nMagnitude;
        return nSign * static_cast<int>((m + (m >> 15)) >> 15);
    }
};

// The first attempt of the block that starts at state x whose sum reaches nFloor, or kBlock when none does.
// Every attempt is computed, without an early exit, so that the loop vectorises.
ZELVORANDINE_VECTOR_CLONES
std::size_t FirstAccepted(std::uint32_t x, SScale red, SScale green, SScale blue, int nFloor) {
    std::array<std::uint32_t, kBlock> accepted;
    std::uint32_t nAny = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const int sum = red.Of(kJumps.mulRed[i] * x + kJumps.addRed[i]) +
                        green.Of(kJumps.mulGreen[i] * x + kJumps.addGreen[i]) +
                        blue.Of(kJumps.mulBlue[i] * x + kJumps.addBlue[i]);
        accepted[i] = sum >= nFloor ? 1 : 0;
        nAny |= accepted[i];
    }
    if (nAny == 0) {
        return kBlock;
    }
    std::size_t i = 0;
    while (accepted[i] == 0) {
        ++i;
    }
    return i;
}

} // namespace

CColorRetryLoop::CColorRetryLoop(int nRed, int nGreen, int nBlue, int nFloor)
    : m_nRed(nRed), m_nGreen(nGreen), m_nBlue(nBlue), m_nFloor(nFloor) {}

PackedColor CColorRetryLoop::Next() const {
    for (int i = 0; i < kOneByOne; ++i) {
        const int r = CRandomSource::Below(m_nRed);
        const int g = CRandomSource::Below(m_nGreen);
        const int b = CRandomSource::Below(m_nBlue);
        if (r + g + b >= m_nFloor) {
            return MakeColor(r, g, b);
        }
    }
    return NextInBlocks();
}

PackedColor CColorRetryLoop::NextInBlocks() const {
    const SScale red(m_nRed);
    const SScale green(m_nGreen);
    const SScale blue(m_nBlue);
    std::uint32_t x = CRandomSource::State();
    for (;;) {
        const std::size_t i = FirstAccepted(x, red, green, blue, m_nFloor);
        if (i < kBlock) {
            CRandomSource::Seed(kJumps.mulBlue[i] * x + kJumps.addBlue[i]);
            return MakeColor(red.Of(kJumps.mulRed[i] * x + kJumps.addRed[i]),
                             green.Of(kJumps.mulGreen[i] * x + kJumps.addGreen[i]),
                             blue.Of(kJumps.mulBlue[i] * x + kJumps.addBlue[i]));
        }
        x = kJumps.mulBlue[kBlock - 1] * x + kJumps.addBlue[kBlock - 1];
    }
}
