// SPDX-License-Identifier: MIT
#include "output/PdfStructure.h"

#include <QByteArrayList>

namespace {

constexpr qsizetype kEntrySize = 20; // "oooooooooo ggggg n" and a two-byte line end

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

qsizetype SkipSpace(const QByteArray& pdf, qsizetype nPos) {
    while (nPos < pdf.size() && IsSpace(pdf.at(nPos))) {
        ++nPos;
    }
    return nPos;
}

// The number written between nFrom and nTo, spaces around it allowed; -1 when there is none.
qint64 NumberAt(const QByteArray& pdf, qsizetype nFrom, qsizetype nTo) {
    bool bOk = false;
    const qint64 n = pdf.mid(nFrom, nTo - nFrom).trimmed().toLongLong(&bOk);
    return bOk && n >= 0 ? n : -1;
}

// Object nObject of generation nGeneration begins at nOffset, before the index.
bool ObjectStartsAt(const QByteArray& pdf, qint64 nOffset, qint64 nObject, qint64 nGeneration,
                    qint64 nIndex) {
    const QByteArray head = QByteArray::number(nObject) + ' ' + QByteArray::number(nGeneration) + " obj";
    return nOffset >= 0 && nOffset + head.size() <= nIndex && pdf.mid(nOffset, head.size()) == head;
}

// Checks the subsections of the index from nPos to its trailer: a line "first count", then count entries.
bool SubsectionsAreSound(const QByteArray& pdf, qsizetype nPos, qint64 nIndex) {
    for (nPos = SkipSpace(pdf, nPos); !pdf.mid(nPos, 7).startsWith("trailer"); nPos = SkipSpace(pdf, nPos)) {
        const qsizetype nLineEnd = pdf.indexOf('\n', nPos);
        if (nLineEnd < 0) {
            return false;
        }
        const QByteArrayList fields = pdf.mid(nPos, nLineEnd - nPos).simplified().split(' ');
        bool bFirst = false;
        bool bCount = false;
        const qint64 nFirst = fields.value(0).toLongLong(&bFirst);
        const qint64 nCount = fields.value(1).toLongLong(&bCount);
        if (fields.size() != 2 || !bFirst || !bCount || nFirst < 0 || nCount < 0 ||
            nCount > (pdf.size() - nLineEnd) / kEntrySize) {
            return false;
        }
        nPos = nLineEnd + 1;
        for (qint64 i = 0; i < nCount; ++i, nPos += kEntrySize) {
            const QByteArray entry = pdf.mid(nPos, kEntrySize);
            const bool bInUse = entry.size() == kEntrySize && entry.at(17) == 'n';
            if (bInUse &&
                !ObjectStartsAt(pdf, NumberAt(entry, 0, 10), nFirst + i, NumberAt(entry, 11, 16), nIndex)) {
                return false;
            }
            if (!bInUse && (entry.size() != kEntrySize || entry.at(17) != 'f')) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool CPdfStructure::IsComplete(const QByteArray& pdf) {
    if (!pdf.startsWith("%PDF-")) {
        return false;
    }
    qsizetype nEnd = pdf.size();
    while (nEnd > 0 && IsSpace(pdf.at(nEnd - 1))) {
        --nEnd;
    }
    static constexpr char kEndMark[] = "%%EOF";
    const qsizetype nMark = nEnd - qsizetype(sizeof(kEndMark) - 1);
    if (nMark < 0 || pdf.mid(nMark, nEnd - nMark) != kEndMark) {
        return false;
    }
    const qsizetype nStartXref = pdf.lastIndexOf("startxref", nMark);
    if (nStartXref < 0) {
        return false;
    }
    const qint64 nIndex = NumberAt(pdf, nStartXref + 9, nMark);
    if (nIndex < 0 || nIndex >= nStartXref || pdf.mid(nIndex, 4) != "xref") {
        return false;
    }
    return SubsectionsAreSound(pdf, nIndex + 4, nIndex);
}
