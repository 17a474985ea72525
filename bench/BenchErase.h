#pragma once
// The records of an erase list, after L and the page index, as a document file holds them: what
// the erase-list benchmarks read back.

#include "document/EraseList.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <vector>

inline QByteArray EraseRecords(const std::vector<_ERASERECT>& records) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    ar << std::int32_t(records.size());
    for (const _ERASERECT& r : records)
        ar << r.left << r.top << r.right << r.bottom << r.nRestore;
    ar.Flush();
    return buffer.data();
}
