#pragma once
// The frame every stored object record has, after the kind code the document writes:
//
//   int32 L   the number of bytes that follow L in the record
//   int32 S   the size of the fixed structure that follows
//   S bytes   the fixed structure: int32 S again, int32 version, double unit scale, then the
//             kind's fields; unused bytes up to S are zero
//   ...       the kind's variable data (characters, points, picture bytes)
//
// and the scaling of coordinates in records to the screen resolution of the storing machine.
// Loading distrusts every number: L and S are checked against each other and against what the
// archive has left before anything is read or allocated, a structure longer than the reader
// knows is read as far as known and the rest skipped, and any fault is an archive exception
// raised to the loading operation.

#include "objects/ObjectTypes.h"
#include "platform/Archive.h"
#include "platform/Guard.h"
#include "platform/WinTypes.h"

#include <QBuffer>
#include <QByteArray>

// The guard of an operation that stores or loads a record (a kind's Serialize): a fault is logged
// as DEF_CATCH logs it and then raised on as an archive exception, so that the document refuses
// the file as a whole instead of reading on out of step. An archive exception is the refusal of
// bad bytes or a failed write, which the user is told about; it is no fault of the program and
// goes on unlogged.
#define DEF_CATCH_RECORD                                                                           \
    }                                                                                              \
    catch (const CArchiveException&) {                                                             \
        throw;                                                                                     \
    }                                                                                              \
    catch (...) {                                                                                  \
        ::brellin::LogGuardEntry(__FILE__, __LINE__, __PRETTY_FUNCTION__);                         \
        AfxThrowArchiveException(CArchiveException::genericException);                             \
    }

// Offset of the kind's own fields in every fixed structure.
constexpr LONG RECORD_HEADER_SIZE = 16;

// Builds one record in memory and writes it with its frame, so that L is known.
class CRecordFrameWriter {
public:
    CRecordFrameWriter(LONG nStructSize, LONG nVersion, double dUnitScale = g_dUnitScale);
    CRecordFrameWriter(const CRecordFrameWriter&) = delete;
    CRecordFrameWriter& operator=(const CRecordFrameWriter&) = delete;

    // Where the kind writes its fields, from offset 16 of the structure on.
    CArchive& Fixed() { return m_fixedAr; }
    // Where the kind writes its variable data.
    CArchive& Variable() { return m_variableAr; }
    // Writes L, S, the structure zero-filled to S, then the variable data. Fields longer than the
    // structure are a fault of the program and raise an archive exception.
    void WriteTo(CArchive& ar);

private:
    LONG m_nStructSize;
    QByteArray m_fixed;
    QByteArray m_variable;
    QBuffer m_fixedBuf;
    QBuffer m_variableBuf;
    CArchive m_fixedAr;
    CArchive m_variableAr;
};

// Reads the frame of one record and the known part of its structure. Sets the program-wide unit
// scale from the record.
class CRecordFrameReader {
public:
    // nKnownSize: the size of the structure this reader knows for the kind.
    CRecordFrameReader(CArchive& ar, LONG nKnownSize);
    CRecordFrameReader(const CRecordFrameReader&) = delete;
    CRecordFrameReader& operator=(const CRecordFrameReader&) = delete;

    LONG GetRecordSize() const { return m_nRecordSize; } // L
    LONG GetStructSize() const { return m_nStructSize; } // S
    LONG GetVersion() const { return m_nVersion; }
    double GetUnitScale() const { return m_dUnitScale; }
    // The field at this offset of the structure was stored (a smaller, older structure leaves
    // later fields at their defaults).
    bool HasField(LONG offset, LONG width) const {
        return offset >= 0 && width >= 0 && qint64(offset) + width <= m_nStructSize;
    }
    // The stored fields from offset 16 on, as far as the reader knows them.
    CArchive& Fixed() { return m_fixedAr; }
    // Reads up to `count` consecutive int32 fields of Fixed(), as far as the stored structure
    // holds them; returns how many it read (the others keep what the caller put there).
    int ReadLongs(LONG* pValues, int count);

    // The variable data is read from the record's own archive; counts read from the record are
    // checked against what the record has left before they are used.
    CArchive& Archive() { return m_ar; }
    qint64 GetVariableRemaining() const;
    void CheckVariableCount(qint64 count, qint64 elemSize) const;
    // Skips what the kind left unread of the record; a kind that read beyond it is refused.
    void End();

private:
    CArchive& m_ar;
    qint64 m_nEnd = 0; // archive position just after the record
    LONG m_nRecordSize = 0;
    LONG m_nStructSize = 0;
    LONG m_nVersion = 0;
    double m_dUnitScale = 0.0;
    QByteArray m_fixed;
    QBuffer m_fixedBuf;
    CArchive m_fixedAr;
};

// A unit scale a record may carry: finite, positive and at most an inch per unit.
bool IsValidUnitScale(double dUnitScale);

// Coordinates in records are pixels of the storing machine's screen: x × DPIx / 96 is written and
// stored × 96 / DPIx read back (y with DPIy), integer division truncating toward zero.
class CRecordDpi {
public:
    // The screen resolution now (GetScreenDpi, which BRELLIN_SCREEN_DPI overrides).
    CRecordDpi();
    CRecordDpi(int dpiX, int dpiY);

    LONG StoreX(LONG v) const { return Scale(v, m_nDpiX, 96); }
    LONG StoreY(LONG v) const { return Scale(v, m_nDpiY, 96); }
    LONG LoadX(LONG stored) const { return Scale(stored, 96, m_nDpiX); }
    LONG LoadY(LONG stored) const { return Scale(stored, 96, m_nDpiY); }
    POINT Store(POINT pt) const { return POINT{StoreX(pt.x), StoreY(pt.y)}; }
    RECT Store(const RECT& r) const {
        return RECT{StoreX(r.left), StoreY(r.top), StoreX(r.right), StoreY(r.bottom)};
    }
    POINT Load(POINT pt) const { return POINT{LoadX(pt.x), LoadY(pt.y)}; }
    RECT Load(const RECT& r) const {
        return RECT{LoadX(r.left), LoadY(r.top), LoadX(r.right), LoadY(r.bottom)};
    }

private:
    // v * mul / div in 64 bits, truncated toward zero and held at the 32-bit limits.
    static LONG Scale(LONG v, int mul, int div);
    int m_nDpiX = 96;
    int m_nDpiY = 96;
};
