// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The program's pseudo-random source: values 0 .. 32767 from the linear congruential generator
// x := x * 214013 + 2531011 (mod 2^32), value (x >> 16) & 0x7FFF. It is seeded with 1 on first use, once
// per process, so the same choices give the same backgrounds in every run.
class CRandomSource {
public:
    static constexpr int kMaxValue = 32767;
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;

    // The value that a state gives.
    static constexpr int ValueOf(std::uint32_t nState) { return static_cast<int>((nState >> 16) & 0x7FFFu); }

    // The next value; seeds with 1 first if nothing has seeded the source yet.
    static int Next() {
        ms_nState = State() * kMultiplier + kIncrement;
        return ValueOf(ms_nState);
    }

    // The state the next value comes from (seeding first, as Next does). Code that computes values ahead
    // from it hands back, through Seed, the state of the last value it used.
    static std::uint32_t State() {
        if (!ms_bSeeded) {
            Seed(1);
        }
        return ms_nState;
    }

    static void Seed(std::uint32_t nSeed) {
        ms_nState = nSeed;
        ms_bSeeded = true;
    }

    // Back to the state of a fresh process: unseeded, so that the next value seeds with 1 again.
    static void Reset();

private:
    static inline std::uint32_t ms_nState = 0;
    static inline bool ms_bSeeded = false;
};
