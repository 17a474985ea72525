// The record frame helpers run inside the loading or storing operation of a kind and raise their
// faults to it as archive exceptions, so that the document can refuse the file as a whole.

#include "objects/RecordFrame.h"

#include "platform/ScreenDpi.h"

#include <QPoint>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
[[noreturn]] void RefuseRecord(const char* what) {
    AfxThrowArchiveException(CArchiveException::programRefusal,
                             QStringLiteral("invalid object record (%1)").arg(QLatin1String(what)));
}

// Skips count bytes that the caller has already checked against what remains.
void SkipBytes(CArchive& ar, qint64 count) {
    if (count <= 0)
        return;
    if (!ar.GetDevice()->isSequential()) {
        ar.Seek(ar.GetPosition() + count);
        return;
    }
    char chunk[4096];
    while (count > 0) {
        const qint64 n = std::min<qint64>(count, qint64(sizeof chunk));
        ar.ReadExact(chunk, n);
        count -= n;
    }
}
} // namespace

bool IsValidUnitScale(double dUnitScale) {
    return std::isfinite(dUnitScale) && dUnitScale > 0.0 && dUnitScale <= 1.0;
}

CRecordFrameWriter::CRecordFrameWriter(LONG nStructSize, LONG nVersion, double dUnitScale)
    : m_nStructSize(nStructSize), m_fixedBuf(&m_fixed), m_variableBuf(&m_variable),
      m_fixedAr(&m_fixedBuf, CArchive::store), m_variableAr(&m_variableBuf, CArchive::store) {
    m_fixedBuf.open(QIODevice::WriteOnly);
    m_variableBuf.open(QIODevice::WriteOnly);
    m_fixedAr << std::int32_t(nStructSize) << std::int32_t(nVersion) << dUnitScale;
}

void CRecordFrameWriter::WriteTo(CArchive& ar) {
    if (m_nStructSize < RECORD_HEADER_SIZE || m_fixed.size() > m_nStructSize)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("object record larger than its structure"));
    const qint64 length = 4 + qint64(m_nStructSize) + m_variable.size();
    if (length > INT_MAX)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("object record too large"));
    QByteArray structure = m_fixed;
    structure.append(m_nStructSize - structure.size(), '\0');
    ar << std::int32_t(length) << std::int32_t(m_nStructSize);
    ar.Write(structure);
    ar.Write(m_variable);
}

CRecordFrameReader::CRecordFrameReader(CArchive& ar, LONG nKnownSize)
    : m_ar(ar), m_fixedBuf(&m_fixed), m_fixedAr(&m_fixedBuf, CArchive::load) {
    std::int32_t length = 0;
    ar >> length;
    if (length < 4)
        RefuseRecord("length");
    if (length > ar.GetRemaining())
        AfxThrowArchiveException(CArchiveException::endOfFile);
    m_nEnd = ar.GetPosition() + length;
    m_nRecordSize = length;

    std::int32_t size = 0;
    ar >> size;
    if (size < RECORD_HEADER_SIZE || size > length - 4)
        RefuseRecord("structure size");
    m_nStructSize = size;

    // Only the part this reader knows is held; the rest of a larger structure is skipped.
    const LONG known = std::min(size, std::max(nKnownSize, RECORD_HEADER_SIZE));
    m_fixed = ar.ReadBytes(known);
    SkipBytes(ar, qint64(size) - known);

    m_fixedBuf.open(QIODevice::ReadOnly);
    std::int32_t innerSize = 0;
    m_fixedAr >> innerSize >> m_nVersion >> m_dUnitScale;
    if (!IsValidUnitScale(m_dUnitScale))
        RefuseRecord("unit scale");
    g_dUnitScale = m_dUnitScale;
}

int CRecordFrameReader::ReadLongs(LONG* pValues, int count) {
    int n = 0;
    while (n < count && HasField(LONG(m_fixedBuf.pos()), 4) && m_fixedBuf.bytesAvailable() >= 4) {
        std::int32_t v = 0;
        m_fixedAr >> v;
        pValues[n++] = v;
    }
    return n;
}

qint64 CRecordFrameReader::GetVariableRemaining() const {
    return std::max<qint64>(0, m_nEnd - m_ar.GetPosition());
}

void CRecordFrameReader::CheckVariableCount(qint64 count, qint64 elemSize) const {
    if (count < 0 || elemSize <= 0 || count > GetVariableRemaining() / elemSize)
        RefuseRecord("count");
}

void CRecordFrameReader::End() {
    const qint64 pos = m_ar.GetPosition();
    if (pos > m_nEnd)
        RefuseRecord("length");
    SkipBytes(m_ar, m_nEnd - pos);
}

CRecordDpi::CRecordDpi() {
    const QPoint dpi = GetScreenDpi();
    m_nDpiX = dpi.x() > 0 ? dpi.x() : 96;
    m_nDpiY = dpi.y() > 0 ? dpi.y() : 96;
}

CRecordDpi::CRecordDpi(int dpiX, int dpiY)
    : m_nDpiX(dpiX > 0 ? dpiX : 96), m_nDpiY(dpiY > 0 ? dpiY : 96) {}

LONG CRecordDpi::Scale(LONG v, int mul, int div) {
    const std::int64_t r = std::int64_t(v) * mul / div;
    return r > INT_MAX ? INT_MAX : r < INT_MIN ? INT_MIN : LONG(r);
}
