#include "document/PdfColourProbe.h"

#include "platform/Guard.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The bounds of the work on one page: decoded content, tokens, pending operands, saved states.
constexpr std::size_t kMaxContentBytes = std::size_t(32) << 20;
constexpr std::size_t kMaxTokens = 4'000'000;
constexpr std::size_t kMaxOperands = 64;
constexpr std::size_t kMaxSaveDepth = 1024;

// The 1-bit drawing takes a stroke whose transformed width d1 * w is at most 2 as a hairline,
// the colour drawing only one of width 0 (d1: half the longer diagonal of the transformed unit
// square, squared).
constexpr double kHairline = 2.0;
// A stencil mask is drawn without smoothing when enlarged along both axes, and a 1-bit image
// when enlarged four times along both; a pixel more than that for the rounding of its corners.
constexpr double kImageScale = 4.0;
// Thresholds are kept by this much more for the rounding of the transformations.
constexpr double kMargin = 1.001;

// Collects a content stream's decoded bytes up to the bound, and stops the decoding there.
class CBoundedSink : public Pipeline {
public:
    CBoundedSink(std::string& out, std::size_t limit)
        : Pipeline("probe", nullptr), m_out(out), m_limit(limit) {}
    void write(unsigned char const* data, size_t len) override {
        if (m_out.size() + len > m_limit) {
            m_bOver = true;
            throw std::length_error("content beyond the bound");
        }
        m_out.append(reinterpret_cast<const char*>(data), len);
    }
    void finish() override {}
    bool Over() const { return m_bOver; }

private:
    std::string& m_out;
    std::size_t m_limit;
    bool m_bOver = false;
};

// The characters of PDF syntax as poppler's lexer takes them.
inline bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0;
}
inline bool IsDelimiter(unsigned char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}
inline bool IsRegular(unsigned char c) { return !IsSpace(c) && !IsDelimiter(c); }
inline int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Operand {
    enum Kind { Number, Name, String, Array, Dict, Keyword } kind = Number;
    double num = 0;
    bool bInteger = false;  // a number written without a point
    std::string_view name;  // names, without the slash
    bool bNumbers = true;   // an array of numbers only
    bool bShowable = true;  // an array of numbers and strings only
};

// Splits content into operands and operators. It reads a strict subset of what poppler reads:
// whatever it is not sure of stops it (Bad), so that every page it reads through is read the
// same way by the drawing.
class CTokenizer {
public:
    enum Result { Op, Value, End, Bad };
    explicit CTokenizer(std::string_view s) : m_s(s) {}

    // The next operand (into `v`) or operator (into `op`).
    Result Next(Operand& v, std::string_view& op) {
        if (++m_nTokens > kMaxTokens)
            return Bad;
        SkipSpace();
        if (m_i >= m_s.size())
            return End;
        const unsigned char c = static_cast<unsigned char>(m_s[m_i]);
        v = Operand();
        switch (c) {
        case '/':
            v.kind = Operand::Name;
            return ReadName(v.name) ? Value : Bad;
        case '(':
            v.kind = Operand::String;
            return SkipLiteral() ? Value : Bad;
        case '<':
            if (m_i + 1 < m_s.size() && m_s[m_i + 1] == '<') {
                v.kind = Operand::Dict;
                return ReadItems(v, true) ? Value : Bad;
            }
            v.kind = Operand::String;
            return SkipHex() ? Value : Bad;
        case '[':
            v.kind = Operand::Array;
            return ReadItems(v, false) ? Value : Bad;
        case ')': case '>': case ']': case '{': case '}':
            return Bad;
        default:
            break;
        }
        const std::size_t start = m_i;
        while (m_i < m_s.size() && IsRegular(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
        const std::string_view word = m_s.substr(start, m_i - start);
        const unsigned char first = static_cast<unsigned char>(word.front());
        if ((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.') {
            v.kind = Operand::Number;
            v.bInteger = word.find('.') == std::string_view::npos;
            return ParseNumber(word, v.num) ? Value : Bad;
        }
        if ((first == 't' || first == 'f' || first == 'n') &&
            (word == "true" || word == "false" || word == "null")) {
            v.kind = Operand::Keyword;
            return Value;
        }
        op = word;
        return Op;
    }

    std::size_t Position() const { return m_i; }

private:
    void SkipSpace() {
        while (m_i < m_s.size()) {
            const unsigned char c = static_cast<unsigned char>(m_s[m_i]);
            if (IsSpace(c)) {
                ++m_i;
            } else if (c == '%') {
                while (m_i < m_s.size() && m_s[m_i] != '\n' && m_s[m_i] != '\r')
                    ++m_i;
            } else {
                break;
            }
        }
    }
    // [+-]digits[.digits] or [+-].digits, nothing else: poppler reads these alike.
    static bool ParseNumber(std::string_view w, double& out) {
        std::size_t i = 0;
        bool neg = false;
        if (w[i] == '+' || w[i] == '-')
            neg = w[i++] == '-';
        double value = 0;
        int digits = 0;
        while (i < w.size() && w[i] >= '0' && w[i] <= '9') {
            value = value * 10 + (w[i++] - '0');
            ++digits;
        }
        if (i < w.size() && w[i] == '.') {
            ++i;
            double scale = 0.1;
            while (i < w.size() && w[i] >= '0' && w[i] <= '9') {
                value += (w[i++] - '0') * scale;
                scale *= 0.1;
                ++digits;
            }
        }
        if (i != w.size() || digits == 0)
            return false;
        out = neg ? -value : value;
        return true;
    }
    // A name as it stands, or decoded from #xx escapes into storage of the tokenizer's own.
    bool ReadName(std::string_view& name) {
        const std::size_t start = ++m_i;
        bool bEscaped = false;
        while (m_i < m_s.size() && IsRegular(static_cast<unsigned char>(m_s[m_i])))
            bEscaped |= m_s[m_i++] == '#';
        name = m_s.substr(start, m_i - start);
        if (bEscaped) {
            std::string decoded;
            for (std::size_t i = 0; i < name.size(); ++i) {
                char c = name[i];
                if (c == '#') {
                    if (i + 2 >= name.size())
                        return false;
                    const int hi = HexValue(static_cast<unsigned char>(name[i + 1]));
                    const int lo = HexValue(static_cast<unsigned char>(name[i + 2]));
                    if (hi < 0 || lo < 0)
                        return false;
                    c = char(hi * 16 + lo);
                    i += 2;
                }
                decoded.push_back(c);
            }
            m_decoded.push_back(std::move(decoded));
            name = m_decoded.back();
        }
        return !name.empty() && name.size() <= 127;
    }
    bool SkipLiteral() {
        int depth = 0;
        while (m_i < m_s.size()) {
            const char c = m_s[m_i++];
            if (c == '\\') {
                ++m_i;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                return true;
            }
        }
        return false;
    }
    bool SkipHex() {
        ++m_i;
        while (m_i < m_s.size()) {
            const unsigned char c = static_cast<unsigned char>(m_s[m_i++]);
            if (c == '>')
                return true;
            if (!IsSpace(c) && HexValue(c) < 0)
                return false;
        }
        return false;
    }
    // The items of an array or a dictionary up to its end; what kinds they are into `v`.
    bool ReadItems(Operand& v, bool bDict) {
        const Nesting nest(m_depth);
        if (m_depth > kMaxNesting)
            return false;
        m_i += bDict ? 2 : 1;
        for (;;) {
            if (++m_nTokens > kMaxTokens)
                return false;
            SkipSpace();
            if (m_i >= m_s.size())
                return false;
            if (!bDict && m_s[m_i] == ']') {
                ++m_i;
                return true;
            }
            if (bDict && m_s[m_i] == '>') {
                if (m_i + 1 >= m_s.size() || m_s[m_i + 1] != '>')
                    return false;
                m_i += 2;
                return true;
            }
            Operand item;
            std::string_view op;
            if (Next(item, op) != Value)
                return false;
            if (item.kind != Operand::Number)
                v.bNumbers = false;
            if (item.kind != Operand::Number && item.kind != Operand::String)
                v.bShowable = false;
        }
    }

    // Arrays and dictionaries inside one another, as deep as the reading has gone.
    struct Nesting {
        explicit Nesting(int& depth) : m_depth(depth) { ++m_depth; }
        ~Nesting() { --m_depth; }
        int& m_depth;
    };
    static constexpr int kMaxNesting = 32;

    std::string_view m_s;
    std::size_t m_i = 0;
    std::size_t m_nTokens = 0;
    int m_depth = 0;
    std::deque<std::string> m_decoded;
};

enum class Space { Gray, RGB, CMYK };

struct GState {
    // The linear part of the current transformation, user space to default user space.
    double a = 1, b = 0, c = 0, d = 1;
    double lineWidth = 1;
    Space fillSpace = Space::Gray, strokeSpace = Space::Gray;
    bool bFillBW = true, bStrokeBW = true;
    int textMode = 0;
};

bool IsName(QPDFObjectHandle o, const char* name) { return o.isName() && o.getName() == name; }

bool NumberIs(QPDFObjectHandle o, double v) { return o.isNumber() && o.getNumericValue() == v; }

// A /Decode array that leaves 0 and 1 as they are or swaps them.
bool PlainDecode(QPDFObjectHandle decode) {
    if (decode.isNull())
        return true;
    if (!decode.isArray() || decode.getArrayNItems() != 2)
        return false;
    const QPDFObjectHandle lo = decode.getArrayItem(0), hi = decode.getArrayItem(1);
    return (NumberIs(lo, 0) && NumberIs(hi, 1)) || (NumberIs(lo, 1) && NumberIs(hi, 0));
}

// Whether an image XObject can draw in black and white exactly, and then its size and how many
// times (`scale`) it must be enlarged along each axis for that.
bool ImageDrawsExactly(QPDFObjectHandle xobject, int& width, int& height, double& scale, bool& bMask) {
    if (!xobject.isStream())
        return false;
    QPDFObjectHandle dict = xobject.getDict();
    if (!IsName(dict.getKey("/Subtype"), "/Image"))
        return false;
    QPDFObjectHandle w = dict.getKey("/Width"), h = dict.getKey("/Height");
    if (!w.isInteger() || !h.isInteger() || w.getIntValue() < 1 || h.getIntValue() < 1 ||
        w.getIntValue() > (1 << 24) || h.getIntValue() > (1 << 24))
        return false;
    width = int(w.getIntValue());
    height = int(h.getIntValue());
    for (const char* key : {"/SMask", "/Mask", "/SMaskInData"})
        if (dict.hasKey(key) && !dict.getKey(key).isNull() && !NumberIs(dict.getKey(key), 0))
            return false;
    QPDFObjectHandle interpolate = dict.getKey("/Interpolate");
    if (interpolate.isBool() && interpolate.getBoolValue())
        return false;
    // A JPEG 2000 stream carries its own colour space and depth.
    QPDFObjectHandle filter = dict.getKey("/Filter");
    if (IsName(filter, "/JPXDecode"))
        return false;
    if (filter.isArray())
        for (int i = 0; i < filter.getArrayNItems(); ++i)
            if (IsName(filter.getArrayItem(i), "/JPXDecode"))
                return false;
    if (!PlainDecode(dict.getKey("/Decode")))
        return false;
    QPDFObjectHandle bpc = dict.getKey("/BitsPerComponent");
    QPDFObjectHandle mask = dict.getKey("/ImageMask");
    bMask = mask.isBool() && mask.getBoolValue();
    if (bMask) {
        if ((!bpc.isNull() && !NumberIs(bpc, 1)) || !dict.getKey("/ColorSpace").isNull())
            return false;
        scale = 1;
    } else {
        if (!NumberIs(bpc, 1) || !IsName(dict.getKey("/ColorSpace"), "/DeviceGray"))
            return false;
        scale = kImageScale;
    }
    return true;
}

// A graphics state dictionary that draws as the defaults do, but for its line attributes.
bool PlainExtGState(QPDFObjectHandle gs, GState& state) {
    if (!gs.isDictionary())
        return false;
    for (const std::string& key : gs.getKeys()) {
        QPDFObjectHandle v = gs.getKey(key);
        if (key == "/LW") {
            if (!v.isNumber() || v.getNumericValue() < 0)
                return false;
            state.lineWidth = v.getNumericValue();
        } else if (key == "/CA" || key == "/ca") {
            if (!v.isNumber() || v.getNumericValue() < 1)
                return false;
        } else if (key == "/BM") {
            if (!IsName(v, "/Normal") && !IsName(v, "/Compatible"))
                return false;
        } else if (key == "/SMask") {
            if (!IsName(v, "/None"))
                return false;
        } else if (key == "/TR") {
            if (!IsName(v, "/Identity"))
                return false;
        } else if (key == "/TR2") {
            if (!IsName(v, "/Identity") && !IsName(v, "/Default"))
                return false;
        } else if (key != "/Type" && key != "/LC" && key != "/LJ" && key != "/ML" && key != "/D" &&
                   key != "/RI" && key != "/FL" && key != "/SM" && key != "/SA" && key != "/OP" &&
                   key != "/op" && key != "/OPM" && key != "/BG" && key != "/BG2" && key != "/UCR" &&
                   key != "/UCR2" && key != "/HT" && key != "/AIS" && key != "/TK" &&
                   key != "/UseBlackPtComp") {
            // Fonts set this way, and whatever else, are not looked into.
            return false;
        }
    }
    return true;
}

// An operator of up to three characters as one number, to switch on.
constexpr std::uint32_t OpCode(std::string_view op) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < op.size(); ++i)
        code |= std::uint32_t(static_cast<unsigned char>(op[i])) << (8 * i);
    return code;
}

// Reads one page's operators and decides.
class CPageReader {
public:
    CPageReader(QPDFObjectHandle resources, bool bCmykWhite)
        : m_res(resources), m_bCmykWhite(bCmykWhite) {
        m_stack.emplace_back();
    }

    PdfColourVerdict Read(std::string_view content) {
        CTokenizer tokens(content);
        std::vector<Operand> args;
        Operand v;
        std::string_view op;
        for (;;) {
            switch (tokens.Next(v, op)) {
            case CTokenizer::Value:
                if (args.size() >= kMaxOperands)
                    return {};
                args.push_back(std::move(v));
                continue;
            case CTokenizer::Op:
                if (!Execute(op, args))
                    return {};
                args.clear();
                continue;
            case CTokenizer::End:
                // Operands left without an operator are dropped by the drawing too.
                return {true, m_dMinDpi};
            case CTokenizer::Bad:
                return {};
            }
        }
    }

private:
    GState& S() { return m_stack.back(); }

    static bool Numbers(const std::vector<Operand>& args, std::size_t n) {
        if (args.size() != n)
            return false;
        for (const Operand& a : args)
            if (a.kind != Operand::Number)
                return false;
        return true;
    }
    static bool AllAre(const std::vector<Operand>& args, double v) {
        for (const Operand& a : args)
            if (a.num != v)
                return false;
        return true;
    }
    static int Components(Space s) { return s == Space::Gray ? 1 : s == Space::RGB ? 3 : 4; }
    // Black or white in the space, as both drawings take it: CMYK black is drawn as a dark
    // colour, not black.
    bool BlackOrWhite(Space s, const std::vector<Operand>& args) const {
        if (s == Space::CMYK)
            return m_bCmykWhite && AllAre(args, 0);
        return AllAre(args, 0) || AllAre(args, 1);
    }

    QPDFObjectHandle Resource(const char* category, std::string_view name) {
        if (!m_res.isDictionary())
            return QPDFObjectHandle::newNull();
        QPDFObjectHandle dict = m_res.getKey(category);
        if (!dict.isDictionary())
            return QPDFObjectHandle::newNull();
        return dict.getKey("/" + std::string(name));
    }

    // cs and CS: only the device spaces, named directly or through the resources.
    bool SetSpace(const std::vector<Operand>& args, bool bFill) {
        if (args.size() != 1 || args[0].kind != Operand::Name)
            return false;
        QPDFObjectHandle named = Resource("/ColorSpace", args[0].name);
        std::string space = "/" + std::string(args[0].name);
        if (!named.isNull()) {
            if (!named.isName())
                return false;
            space = named.getName();
        }
        Space s;
        bool bBW = true;
        if (space == "/DeviceGray") {
            s = Space::Gray;
        } else if (space == "/DeviceRGB") {
            s = Space::RGB;
        } else if (space == "/DeviceCMYK") {
            // Its initial colour is black, drawn dark but not black.
            s = Space::CMYK;
            bBW = false;
        } else {
            return false;
        }
        (bFill ? S().fillSpace : S().strokeSpace) = s;
        (bFill ? S().bFillBW : S().bStrokeBW) = bBW;
        return true;
    }

    bool SetColour(const std::vector<Operand>& args, bool bFill) {
        const Space s = bFill ? S().fillSpace : S().strokeSpace;
        if (!Numbers(args, std::size_t(Components(s))))
            return false;
        (bFill ? S().bFillBW : S().bStrokeBW) = BlackOrWhite(s, args);
        return true;
    }

    bool SetDevice(const std::vector<Operand>& args, Space s, bool bFill) {
        if (!Numbers(args, std::size_t(Components(s))))
            return false;
        (bFill ? S().fillSpace : S().strokeSpace) = s;
        (bFill ? S().bFillBW : S().bStrokeBW) = BlackOrWhite(s, args);
        return true;
    }

    // A stroke draws alike in both depths when hairline there and here, or wide there and here.
    bool Stroke() {
        const GState& g = S();
        if (!g.bStrokeBW || g.lineWidth < 0)
            return false;
        if (g.lineWidth == 0)
            return true;
        const double p = (g.a + g.c) * (g.a + g.c) + (g.b + g.d) * (g.b + g.d);
        const double q = (g.a - g.c) * (g.a - g.c) + (g.b - g.d) * (g.b - g.d);
        const double d1 = 0.5 * std::max(p, q);
        if (!(d1 > 0) || !std::isfinite(d1))
            return false;
        // At k = dpi / 72 the drawing's d1 is k * k * d1 here.
        Need(72.0 * std::sqrt(kHairline / (d1 * g.lineWidth)));
        return true;
    }

    void Need(double dpi) { m_dMinDpi = std::max(m_dMinDpi, dpi * kMargin); }

    bool Paint(bool bFill, bool bStroke) {
        if (bFill && !S().bFillBW)
            return false;
        return !bStroke || Stroke();
    }

    bool Font(std::string_view name) {
        const auto it = m_fonts.find(name);
        if (it != m_fonts.end())
            return it->second;
        QPDFObjectHandle font = Resource("/Font", name);
        // Type 3 glyphs are drawings of their own, in any colour.
        const bool ok = font.isDictionary() && font.getKey("/Subtype").isName() &&
                        !IsName(font.getKey("/Subtype"), "/Type3");
        m_fonts.emplace(name, ok);
        return ok;
    }

    bool Show() {
        if (!m_bFont)
            return false;
        const int mode = S().textMode;
        return (mode != 0 && mode != 4) || S().bFillBW;
    }

    bool DrawXObject(std::string_view name) {
        const GState& g = S();
        // Turned images are not looked into.
        if (!((g.b == 0 && g.c == 0) || (g.a == 0 && g.d == 0)))
            return false;
        int width = 0, height = 0;
        double scale = 0;
        bool bMask = false;
        if (!ImageDrawsExactly(Resource("/XObject", name), width, height, scale, bMask))
            return false;
        if (bMask && !g.bFillBW)
            return false;
        const double along = std::max(std::abs(g.a), std::abs(g.b));
        const double across = std::max(std::abs(g.c), std::abs(g.d));
        if (!(along > 0) || !(across > 0))
            return false;
        // Enlarged `scale` times and a pixel, along both axes.
        Need(72.0 * std::max((scale * width + 1) / along, (scale * height + 1) / across));
        return true;
    }

    bool Execute(std::string_view op, const std::vector<Operand>& args) {
        GState& g = S();
        const std::size_t n = args.size();
        const auto names = [&](std::size_t k) {
            return n == k && args[0].kind == Operand::Name;
        };
        const auto shown = [&](std::size_t at) {
            return n == at + 1 && args[at].kind == Operand::String && m_bText && Show();
        };
        if (op.size() > 3)
            return false;
        switch (OpCode(op)) {
        case OpCode("q"):
            if (n || m_stack.size() >= kMaxSaveDepth)
                return false;
            m_stack.push_back(g);
            return true;
        case OpCode("Q"):
            if (n)
                return false;
            // An unmatched restore is ignored by the drawing as well.
            if (m_stack.size() > 1)
                m_stack.pop_back();
            return true;
        case OpCode("cm"): {
            if (!Numbers(args, 6))
                return false;
            const double a = args[0].num * g.a + args[1].num * g.c;
            const double b = args[0].num * g.b + args[1].num * g.d;
            const double c = args[2].num * g.a + args[3].num * g.c;
            const double d = args[2].num * g.b + args[3].num * g.d;
            g.a = a, g.b = b, g.c = c, g.d = d;
            return true;
        }
        case OpCode("w"):
            if (!Numbers(args, 1) || args[0].num < 0)
                return false;
            g.lineWidth = args[0].num;
            return true;
        case OpCode("J"): case OpCode("j"): case OpCode("M"): case OpCode("i"):
        case OpCode("Tc"): case OpCode("Tw"): case OpCode("Tz"): case OpCode("TL"):
        case OpCode("Ts"):
            return Numbers(args, 1);
        case OpCode("d"):
            return n == 2 && args[0].kind == Operand::Array && args[0].bNumbers &&
                   args[1].kind == Operand::Number;
        case OpCode("gs"):
            return names(1) && PlainExtGState(Resource("/ExtGState", args[0].name), g);
        case OpCode("ri"): case OpCode("MP"): case OpCode("BMC"):
            return names(1);
        case OpCode("DP"): case OpCode("BDC"):
            return n == 2 && args[0].kind == Operand::Name &&
                   (args[1].kind == Operand::Name || args[1].kind == Operand::Dict);
        case OpCode("EMC"): case OpCode("h"): case OpCode("n"): case OpCode("W"):
        case OpCode("W*"): case OpCode("T*"):
            return n == 0;
        case OpCode("m"): case OpCode("l"): case OpCode("Td"): case OpCode("TD"):
            return Numbers(args, 2);
        case OpCode("v"): case OpCode("y"): case OpCode("re"):
            return Numbers(args, 4);
        case OpCode("c"): case OpCode("Tm"):
            return Numbers(args, 6);
        case OpCode("S"): case OpCode("s"):
            return n == 0 && Paint(false, true);
        case OpCode("f"): case OpCode("F"): case OpCode("f*"):
            return n == 0 && Paint(true, false);
        case OpCode("B"): case OpCode("b"): case OpCode("B*"): case OpCode("b*"):
            return n == 0 && Paint(true, true);
        case OpCode("g"):
            return SetDevice(args, Space::Gray, true);
        case OpCode("G"):
            return SetDevice(args, Space::Gray, false);
        case OpCode("rg"):
            return SetDevice(args, Space::RGB, true);
        case OpCode("RG"):
            return SetDevice(args, Space::RGB, false);
        case OpCode("k"):
            return SetDevice(args, Space::CMYK, true);
        case OpCode("K"):
            return SetDevice(args, Space::CMYK, false);
        case OpCode("cs"):
            return SetSpace(args, true);
        case OpCode("CS"):
            return SetSpace(args, false);
        // A trailing name would be a pattern.
        case OpCode("sc"): case OpCode("scn"):
            return SetColour(args, true);
        case OpCode("SC"): case OpCode("SCN"):
            return SetColour(args, false);
        case OpCode("Do"):
            return names(1) && DrawXObject(args[0].name);
        case OpCode("BT"):
            if (n || m_bText)
                return false;
            m_bText = true;
            return true;
        case OpCode("ET"):
            if (n || !m_bText)
                return false;
            m_bText = false;
            return true;
        case OpCode("Tf"):
            if (n != 2 || args[0].kind != Operand::Name || args[1].kind != Operand::Number)
                return false;
            m_bFont = Font(args[0].name);
            return m_bFont;
        case OpCode("Tr"): {
            // The drawing ignores a mode written with a point, and keeps the one before.
            if (!Numbers(args, 1) || !args[0].bInteger)
                return false;
            const double mode = args[0].num;
            // Filling, invisible, and either as a clip; stroked glyph outlines are not looked
            // into.
            if (mode != 0 && mode != 3 && mode != 4 && mode != 7)
                return false;
            g.textMode = int(mode);
            return true;
        }
        case OpCode("Tj"): case OpCode("'"):
            return shown(0);
        case OpCode("\""):
            return n == 3 && args[0].kind == Operand::Number && args[1].kind == Operand::Number &&
                   shown(2);
        case OpCode("TJ"):
            return n == 1 && args[0].kind == Operand::Array && args[0].bShowable && m_bText && Show();
        default:
            // sh, BI (inline images), d0 and d1, BX and EX, and anything unknown.
            return false;
        }
    }

    QPDFObjectHandle m_res;
    bool m_bCmykWhite;
    std::vector<GState> m_stack;
    std::map<std::string, bool, std::less<>> m_fonts;
    bool m_bText = false;
    bool m_bFont = false;
    double m_dMinDpi = 0;
};

} // namespace

struct CPdfColourProbe::Impl {
    QByteArray bytes;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
    bool bUsable = false;
    bool bCmykWhite = true;
};

CPdfColourProbe::CPdfColourProbe(const QByteArray& bytes, const QByteArray& password, int nPages)
    : m(std::make_unique<Impl>()) {
    DEF_TRY
    m->bytes = bytes; // libqpdf reads the memory without copying it
    try {
        m->pdf.setSuppressWarnings(true);
        m->pdf.setAttemptRecovery(true);
        m->pdf.processMemoryFile("probe", m->bytes.constData(), std::size_t(m->bytes.size()),
                                 password.isEmpty() ? nullptr : password.constData());
        m->pages = QPDFPageDocumentHelper(m->pdf).getAllPages();
        // A file repaired on reading may be repaired otherwise by poppler.
        m->bUsable = int(m->pages.size()) == nPages && !m->pdf.anyWarnings();
        // An output intent may give CMYK a profile under which no CMYK colour is plain white.
        m->bCmykWhite = !m->pdf.getRoot().hasKey("/OutputIntents");
    } catch (const std::exception&) {
        m->bUsable = false;
    }
    DEF_CATCH
}

CPdfColourProbe::~CPdfColourProbe() = default;

PdfColourVerdict CPdfColourProbe::Probe(int nPage) {
    DEF_TRY
    if (!m->bUsable || nPage < 0 || nPage >= int(m->pages.size()))
        return {};
    try {
        QPDFPageObjectHelper& page = m->pages[std::size_t(nPage)];
        QPDFObjectHandle dict = page.getObjectHandle();
        m->pdf.getWarnings();
        // Annotations draw appearances of their own; a transparency group blends the page.
        QPDFObjectHandle annots = dict.getKey("/Annots");
        if (!annots.isNull() && !(annots.isArray() && annots.getArrayNItems() == 0))
            return {};
        if (!dict.getKey("/Group").isNull())
            return {};
        QPDFObjectHandle res = page.getAttribute("/Resources", false);
        if (!res.isNull() && !res.isDictionary())
            return {};
        if (res.isDictionary()) {
            QPDFObjectHandle spaces = res.getKey("/ColorSpace");
            // Default spaces stand in for the device spaces.
            if (spaces.isDictionary())
                for (const char* key : {"/DefaultGray", "/DefaultRGB", "/DefaultCMYK"})
                    if (spaces.hasKey(key))
                        return {};
        }
        std::string content;
        std::vector<QPDFObjectHandle> streams = page.getPageContents();
        for (std::size_t i = 0; i < streams.size(); ++i) {
            if (!streams[i].isStream())
                return {};
            CBoundedSink sink(content, kMaxContentBytes);
            bool bFiltered = false;
            bool ok = false;
            try {
                ok = streams[i].pipeStreamData(&sink, &bFiltered, 0, qpdf_dl_all, true, false);
            } catch (const std::exception&) {
                ok = false;
            }
            // A filter libqpdf cannot undo leaves the bytes as they are.
            if (!ok || sink.Over() || (!bFiltered && !streams[i].getDict().getKey("/Filter").isNull()))
                return {};
            // Streams are read as one: where one ends mid-token or mid-comment the drawing
            // might join them otherwise than they are joined here.
            if (i + 1 < streams.size() &&
                (content.empty() || (content.back() != '\n' && content.back() != '\r')))
                return {};
        }
        if (m->pdf.anyWarnings())
            return {};
        const PdfColourVerdict verdict = CPageReader(res, m->bCmykWhite).Read(content);
        // Objects that could not be read on the way (fonts, images) leave warnings too.
        if (m->pdf.anyWarnings())
            return {};
        return verdict;
    } catch (const std::exception&) {
        return {};
    }
    DEF_CATCH
    return {};
}
