// SPDX-License-Identifier: MIT
#pragma once

inline constexpr const char* kVersionString = "1.0.0.1";
inline constexpr const char* kProductName = "Zelvorandine";
