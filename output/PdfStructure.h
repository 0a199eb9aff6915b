// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// What a PDF file's own index says about it. The toolkit's PDF writer does not report failed writes, so a
// file cut short by a full disk or a size limit, or missing a piece in the middle, is found by reading it
// back: the index at its end must be there and every object must start where the index says.
class CPdfStructure {
public:
    static bool IsComplete(const QByteArray& pdf);
};
