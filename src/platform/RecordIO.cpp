#include "platform/RecordIO.h"

#include <QBuffer>

void WritePoint(CArchive& ar, const POINT& p) { ar << p.x << p.y; }
void ReadPoint(CArchive& ar, POINT& p) { ar >> p.x >> p.y; }
void WriteRect(CArchive& ar, const RECT& r) { ar << r.left << r.top << r.right << r.bottom; }
void ReadRect(CArchive& ar, RECT& r) { ar >> r.left >> r.top >> r.right >> r.bottom; }

void WriteLogFont(CArchive& ar, const LOGFONTA& lf) {
    ar << lf.lfHeight << lf.lfWidth << lf.lfEscapement << lf.lfOrientation << lf.lfWeight;
    ar << lf.lfItalic << lf.lfUnderline << lf.lfStrikeOut << lf.lfCharSet << lf.lfOutPrecision
       << lf.lfClipPrecision << lf.lfQuality << lf.lfPitchAndFamily;
    ar.Write(lf.lfFaceName, LF_FACESIZE);
}

void ReadLogFont(CArchive& ar, LOGFONTA& lf) {
    ar >> lf.lfHeight >> lf.lfWidth >> lf.lfEscapement >> lf.lfOrientation >> lf.lfWeight;
    ar >> lf.lfItalic >> lf.lfUnderline >> lf.lfStrikeOut >> lf.lfCharSet >> lf.lfOutPrecision >>
        lf.lfClipPrecision >> lf.lfQuality >> lf.lfPitchAndFamily;
    ar.ReadExact(lf.lfFaceName, LF_FACESIZE);
    lf.lfFaceName[LF_FACESIZE - 1] = '\0'; // a name from outside is always terminated
}

void WriteTextStyle(CArchive& ar, const TEXTSTYLE& s) {
    WriteLogFont(ar, s.lf);
    ar << s.nSize << s.crText << s.bStepped << s.nPitch << s.nAlign << s.nRotation << s.crRule
       << s.nRuleWidth << s.nAnnotation;
}

void ReadTextStyle(CArchive& ar, TEXTSTYLE& s) {
    ReadLogFont(ar, s.lf);
    ar >> s.nSize >> s.crText >> s.bStepped >> s.nPitch >> s.nAlign >> s.nRotation >> s.crRule >>
        s.nRuleWidth >> s.nAnnotation;
}

QByteArray IntsToBytes(const LONG* values, int count) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    for (int i = 0; i < count; ++i)
        ar << values[i];
    return bytes;
}

bool IntsFromBytes(const QByteArray& bytes, LONG* values, int count) {
    if (bytes.size() != qsizetype(count) * 4)
        return false;
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    for (int i = 0; i < count; ++i)
        ar >> values[i];
    return true;
}

QByteArray TextStyleToBytes(const TEXTSTYLE& s) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    WriteTextStyle(ar, s);
    return bytes;
}

bool TextStyleFromBytes(const QByteArray& bytes, TEXTSTYLE& s) {
    if (bytes.size() != qsizetype(sizeof(TEXTSTYLE)))
        return false;
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    TEXTSTYLE t;
    ReadTextStyle(ar, t);
    s = t;
    return true;
}
