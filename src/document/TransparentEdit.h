#pragma once
// CTransparentEdit: the text box of version-2 documents. Such documents keep their annotations as
// text boxes archived in the windowing toolkit's object encoding under the class name
// "CTransparentEdit" (schema 0), one per text field or check box. The program only reads them:
// each box reads itself, is turned at once into a text or a check mark of page 0, and is dropped.
//
// A box's stored form is a sequence of tagged sections, all integers little-endian int32:
//
//   tag 1   int32 n, n bytes: the 132-byte structure below (n is 132 when written)
//   tag 2   int32 count, count strings in the toolkit's string encoding: the lines
//   tag 0   end of the box
//
// Structure: int32 132 | int32 m_x | int32 m_y | 4 zero bytes | 76 bytes m_font (LOGFONTA,
// nSize, crText, bStepped, nPitch) | int32 m_bCheckBox | 36 zero bytes.

#include "platform/Archive.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <memory>
#include <vector>

class CTranspBaseClass;

// The first five members of the text style, as a text box keeps its font.
struct _EDITFONT {
    LOGFONTA lf;
    LONG nSize = 0; // points
    COLORREF crText = 0;
    BOOL bStepped = 0;
    LONG nPitch = 0;
};
static_assert(sizeof(_EDITFONT) == 76 && offsetof(_EDITFONT, nSize) == 60 &&
              offsetof(_EDITFONT, crText) == 64 && offsetof(_EDITFONT, bStepped) == 68 &&
              offsetof(_EDITFONT, nPitch) == 72);

struct _EDITINFO {
    LONG nSize = 132;
    LONG x = 0;
    LONG y = 0;
    BYTE reserved1[4] = {};
    _EDITFONT font;
    BOOL bCheckBox = 0;
    BYTE reserved2[36] = {};
};
static_assert(sizeof(_EDITINFO) == 132 && offsetof(_EDITINFO, x) == 4 &&
              offsetof(_EDITINFO, y) == 8 && offsetof(_EDITINFO, font) == 16 &&
              offsetof(_EDITINFO, bCheckBox) == 92 && offsetof(_EDITINFO, reserved2) == 96);
constexpr LONG EDITINFO_SIZE = 132;

// Section tags of the stored form.
enum : LONG { EDITTAG_END = 0, EDITTAG_INFO = 1, EDITTAG_LINES = 2 };

class CTransparentEdit {
public:
    CTransparentEdit();

    // The class name and schema the toolkit's object encoding registers the box under.
    static constexpr char kClassName[] = "CTransparentEdit";
    static constexpr WORD kSchema = 0;

    // Reads the tagged sections (loading); writes them (storing: the sample files of the tests).
    // A fault is raised to the loading document as an archive exception.
    void Serialize(CArchive& ar);

    // The lines joined by "\r\n"; "" when that is exactly the placeholder character.
    QByteArray GetText() const;
    // The rectangle of the first line in text units, measured in the box's font on the screen:
    // (m_x, m_y - h, m_x + w, m_y).
    RECT GetCheckMarkRect() const;
    // The rectangle of a first line measured cx x cy pixels on a screen of dpiX x dpiY:
    // w = floor(cx / dpiX x 99999.99999999999), h likewise.
    static RECT CheckMarkRectFromExtent(LONG x, LONG y, int cx, int cy, int dpiX, int dpiY);

    // The object the box stands for on page 0: a check mark for a check box, else a text with the
    // box's font and text (an empty one keeps the placeholder). Null on a fault.
    std::unique_ptr<CTranspBaseClass> Convert() const;

    LONG m_x = 0; // text units: the left end of the bottom of the first line
    LONG m_y = 0;
    QList<QByteArray> m_lines;
    _EDITFONT m_font;
    BOOL m_bCheckBox = 0;
};

// The toolkit's object encoding, as far as archived text boxes use it. Each object is preceded by
// a 16-bit tag: 0 a null object; 0xFFFF a class seen for the first time, followed by its 16-bit
// schema, the 16-bit length of its name and the name; 0x8000 | index an object of a class read
// before; 0x7FFF followed by a 32-bit tag for indexes that do not fit in 15 bits. Classes and
// objects are numbered in the order they are met, from 1.
class CEditArchiveReader {
public:
    explicit CEditArchiveReader(CArchive& ar) : m_ar(ar) {}
    // The next text box, or null for the null tag. Any other class, another schema, an unknown
    // index or a reference back to an earlier object (which the writer of these files never
    // makes) is refused with an archive exception.
    std::unique_ptr<CTransparentEdit> ReadObject();

private:
    CArchive& m_ar;
    // Entry i of the map: true for a class, false for an object; entry 0 is the null object.
    std::vector<bool> m_map{false};
};

// The writer of the same encoding, for the sample files of the tests.
class CEditArchiveWriter {
public:
    explicit CEditArchiveWriter(CArchive& ar) : m_ar(ar) {}
    void WriteObject(CTransparentEdit* pEdit);

private:
    CArchive& m_ar;
    DWORD m_nMapCount = 1;
    DWORD m_nClassIndex = 0;
};
