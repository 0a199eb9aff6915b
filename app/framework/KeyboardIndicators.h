// SPDX-License-Identifier: MIT
#pragma once

// The lock keys' state as the window system reports it.
class CKeyboardIndicators {
public:
    struct LockState {
        bool bCaps = false;
        bool bNum = false;
        bool bScroll = false;
        bool bKana = false;
    };

    // Reads the indicators from the X server through XKB; all off where the platform reports none.
    static LockState Read();
};
