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
    static constexpr double kInverseMax = static_cast<double>(1.0f / 32767.0f);
    static_assert(kInverseMax == 32769.0 / 1073741824.0);

    // The value that a state gives.
    static constexpr int ValueOf(std::uint32_t nState) { return static_cast<int>((nState >> 16) & 0x7FFFu); }

    // The value below n (0 for n = 0) that source value nValue gives: nValue x n scaled by the
    // single-precision 1/32767 the scaling has always used, which is exactly 32769 / 2^30 and keeps the
    // result at n - 1 or less.
    static constexpr int ScaleBelow(int nValue, int n) {
        return static_cast<int>(static_cast<double>(std::int64_t{nValue} * n) * kInverseMax);
    }
    // A value 0 .. n - 1 (0 for n = 0) from exactly one value of the source.
    static int Below(int n) { return ScaleBelow(Next(), n); }

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
