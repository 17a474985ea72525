#include "platform/CodePage.h"

#include "platform/Guard.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>
#include <vector>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

struct CodePageName {
    UINT codePage;
    const char* iconvName;
};

const CodePageName kCodePageNames[] = {
    {1252, "CP1252"}, {1250, "CP1250"}, {1251, "CP1251"},
    {1253, "CP1253"}, {1254, "CP1254"}, {1255, "CP1255"},
    {1256, "CP1256"}, {1257, "CP1257"}, {874, "CP874"},
    {932, "CP932"},   {936, "CP936"},   {949, "CP949"},
    {950, "CP950"},   {1361, "JOHAB"},  {CP_MACROMAN, "MACINTOSH"},
    {437, "CP437"},
};

const char* IconvName(UINT codePage) {
    for (const CodePageName& n : kCodePageNames)
        if (n.codePage == codePage) return n.iconvName;
    return nullptr;
}

// Opening a converter costs far more than a conversion, and text is converted on every keystroke
// and paint, so each code page's pair of descriptors is opened once and kept for the whole run.
// A descriptor carries shift state and cannot be used by two threads at once: the lock is held
// for the whole conversion.
class ConverterCache {
public:
    struct Pair {
        iconv_t toUnicode = kNoConverter;
        iconv_t fromUnicode = kNoConverter;
    };

    ~ConverterCache() {
        for (auto& [cp, pair] : m_pairs) {
            if (pair.toUnicode != kNoConverter) iconv_close(pair.toUnicode);
            if (pair.fromUnicode != kNoConverter) iconv_close(pair.fromUnicode);
        }
    }

    std::mutex& Lock() { return m_lock; }

    // Call with the lock held. A code page that cannot be opened is remembered as such, so a
    // missing converter is not asked for again on every keystroke.
    const Pair& Get(UINT codePage) {
        auto it = m_pairs.find(codePage);
        if (it != m_pairs.end()) return it->second;
        Pair pair;
        if (const char* name = IconvName(codePage)) {
            pair.toUnicode = iconv_open("UTF-16LE", name);
            pair.fromUnicode = iconv_open(name, "UTF-16LE");
        }
        return m_pairs.emplace(codePage, pair).first->second;
    }

private:
    std::mutex m_lock;
    std::map<UINT, Pair> m_pairs;
};

ConverterCache& Converters() {
    static ConverterCache cache;
    return cache;
}

// Runs `cd` over the whole input and flushes what the converter holds back (the Hebrew code page
// keeps the last character to combine it with a following mark). Without //TRANSLIT or //IGNORE
// iconv stops at a character it cannot hold (EILSEQ) or an incomplete sequence (EINVAL): both are
// refusals here, never a substitute.
bool RunIconv(iconv_t cd, const QByteArray& in, QByteArray& out) {
    out.clear();
    if (cd == kNoConverter) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial shift state

    std::vector<char> input(in.begin(), in.end());
    char* inPtr = input.data();
    size_t inLeft = input.size();
    std::vector<char> buffer(std::max<size_t>(16, input.size() * 2 + 8));
    size_t used = 0;

    bool flushing = false;
    for (;;) {
        char* outPtr = buffer.data() + used;
        size_t outLeft = buffer.size() - used;
        const size_t rc = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        used = size_t(outPtr - buffer.data());
        if (rc != size_t(-1)) {
            if (flushing) break;
            flushing = true;
            continue;
        }
        if (err != E2BIG) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    out = QByteArray(buffer.data(), qsizetype(used));
    return true;
}

} // namespace

UINT CodePageFromCharSet(BYTE charSet) {
    DEF_TRY
    struct CharSetCodePage {
        BYTE charSet;
        UINT codePage;
    };
    static const CharSetCodePage kTable[] = {
        {ANSI_CHARSET, 1252},       {DEFAULT_CHARSET, 1252},    {EASTEUROPE_CHARSET, 1250},
        {RUSSIAN_CHARSET, 1251},    {GREEK_CHARSET, 1253},      {TURKISH_CHARSET, 1254},
        {HEBREW_CHARSET, 1255},     {ARABIC_CHARSET, 1256},     {BALTIC_CHARSET, 1257},
        {THAI_CHARSET, 874},        {SHIFTJIS_CHARSET, 932},    {GB2312_CHARSET, 936},
        {HANGUL_CHARSET, 949},      {CHINESEBIG5_CHARSET, 950}, {JOHAB_CHARSET, 1361},
        {MAC_CHARSET, CP_MACROMAN}, {OEM_CHARSET, 437},         {SYMBOL_CHARSET, CP_SYMBOL},
    };
    for (const CharSetCodePage& e : kTable)
        if (e.charSet == charSet) return e.codePage;
    return CP_ACP_DEFAULT;
    DEF_CATCH
    return CP_ACP_DEFAULT;
}

bool IsDoubleByteCodePage(UINT codePage) {
    DEF_TRY
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361;
    DEF_CATCH
    return false;
}

bool IsLeadByte(UINT codePage, BYTE byte) {
    DEF_TRY
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    case 1361:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) ||
               (byte >= 0xE0 && byte <= 0xF9);
    default:
        return false;
    }
    DEF_CATCH
    return false;
}

bool CodePageToUnicode(const QByteArray& bytes, UINT codePage, QString& out) {
    DEF_TRY
    out.clear();
    if (codePage == CP_SYMBOL) {
        out.reserve(bytes.size());
        for (const char c : bytes)
            out += QChar(char16_t(static_cast<unsigned char>(c)));
        return true;
    }
    if (bytes.isEmpty()) return IconvName(codePage) != nullptr;
    QByteArray utf16;
    {
        ConverterCache& cache = Converters();
        std::lock_guard<std::mutex> lock(cache.Lock());
        if (!RunIconv(cache.Get(codePage).toUnicode, bytes, utf16)) return false;
    }
    if (utf16.size() % 2 != 0) return false;
    QString text;
    text.reserve(utf16.size() / 2);
    for (qsizetype i = 0; i + 1 < utf16.size(); i += 2)
        text += QChar(char16_t(static_cast<unsigned char>(utf16[i]) |
                               (static_cast<unsigned char>(utf16[i + 1]) << 8)));
    out = text;
    return true;
    DEF_CATCH
    out.clear();
    return false;
}

bool UnicodeToCodePage(const QString& text, UINT codePage, QByteArray& out) {
    DEF_TRY
    out.clear();
    if (codePage == CP_SYMBOL) {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (const QChar c : text) {
            if (c.unicode() > 0xFF) return false;
            bytes += char(c.unicode());
        }
        out = bytes;
        return true;
    }
    if (text.isEmpty()) return IconvName(codePage) != nullptr;
    QByteArray utf16;
    utf16.reserve(text.size() * 2);
    for (const QChar c : text) {
        utf16 += char(c.unicode() & 0xFF);
        utf16 += char(c.unicode() >> 8);
    }
    QByteArray bytes;
    {
        ConverterCache& cache = Converters();
        std::lock_guard<std::mutex> lock(cache.Lock());
        if (!RunIconv(cache.Get(codePage).fromUnicode, utf16, bytes)) return false;
    }
    out = bytes;
    return true;
    DEF_CATCH
    out.clear();
    return false;
}

int CharLength(const QByteArray& bytes, UINT codePage) {
    DEF_TRY
    const bool dbcs = IsDoubleByteCodePage(codePage);
    int count = 0;
    for (qsizetype i = 0; i < bytes.size(); ++count) {
        if (dbcs && IsLeadByte(codePage, BYTE(bytes[i])) && i + 1 < bytes.size())
            i += 2;
        else
            i += 1;
    }
    return count;
    DEF_CATCH
    return 0;
}

int CharToByteOffset(const QByteArray& bytes, int charPos, UINT codePage) {
    DEF_TRY
    if (charPos <= 0) return 0;
    const bool dbcs = IsDoubleByteCodePage(codePage);
    qsizetype i = 0;
    for (int n = 0; n < charPos && i < bytes.size(); ++n) {
        if (dbcs && IsLeadByte(codePage, BYTE(bytes[i])) && i + 1 < bytes.size())
            i += 2;
        else
            i += 1;
    }
    return int(i);
    DEF_CATCH
    return 0;
}
