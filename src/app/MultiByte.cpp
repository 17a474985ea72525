#include "app/MultiByte.h"

#include "platform/Guard.h"

#include <algorithm>
#include <vector>

namespace {
int Clamp(int position, int length) { return std::clamp(position, 0, length); }

// Byte offsets of every character start plus the end, in one pass: stepping backwards through a
// double-byte text is only possible from its beginning, since a trail byte may look like a lead.
std::vector<int> CharStarts(const QByteArray& text, UINT codePage) {
    std::vector<int> starts;
    const int n = int(text.size());
    starts.reserve(size_t(n) + 1);
    int i = 0;
    while (i < n) {
        starts.push_back(i);
        i += (IsLeadByte(codePage, BYTE(text[i])) && i + 1 < n) ? 2 : 1;
    }
    starts.push_back(n);
    return starts;
}
} // namespace

QByteArray ExtractMidChar(const QByteArray& text, int first, int count, UINT codePage) {
    DEF_TRY
    if (count <= 0)
        return {};
    const int length = CharLength(text, codePage);
    first = Clamp(first, length);
    const int last = first + std::min(count, length - first);
    const int from = CharToByteOffset(text, first, codePage);
    const int to = CharToByteOffset(text, last, codePage);
    return text.mid(from, to - from);
    DEF_CATCH
    return {};
}

QByteArray ExtractLeftChar(const QByteArray& text, int count, UINT codePage) {
    DEF_TRY
    return ExtractMidChar(text, 0, count, codePage);
    DEF_CATCH
    return {};
}

QByteArray ExtractRightChar(const QByteArray& text, int count, UINT codePage) {
    DEF_TRY
    if (count <= 0)
        return {};
    const int length = CharLength(text, codePage);
    return ExtractMidChar(text, length - std::min(count, length), count, codePage);
    DEF_CATCH
    return {};
}

int DeleteChar(QByteArray& text, int position, int count, UINT codePage) {
    DEF_TRY
    const int length = CharLength(text, codePage);
    position = Clamp(position, length);
    if (count > 0) {
        const int last = position + std::min(count, length - position);
        const int from = CharToByteOffset(text, position, codePage);
        const int to = CharToByteOffset(text, last, codePage);
        text.remove(from, to - from);
    }
    return CharLength(text, codePage);
    DEF_CATCH
    return 0;
}

BYTE GetCharAt(const QByteArray& text, int position, UINT codePage) {
    DEF_TRY
    const int offset = CharToByteOffset(text, position, codePage);
    return offset < text.size() ? BYTE(text[offset]) : BYTE(0);
    DEF_CATCH
    return 0;
}

int InsertChar(QByteArray& text, int position, BYTE first, BYTE second, UINT codePage) {
    DEF_TRY
    const int offset = CharToByteOffset(text, position, codePage);
    text.insert(offset, char(first));
    if (second != 0)
        text.insert(offset, char(second));
    return CharLength(text, codePage);
    DEF_CATCH
    return 0;
}

int InsertChar(QByteArray& text, int position, const QByteArray& insert, UINT codePage) {
    DEF_TRY
    text.insert(CharToByteOffset(text, position, codePage), insert);
    return CharLength(text, codePage);
    DEF_CATCH
    return 0;
}

int FindNextWord(const QByteArray& text, int position, bool backwards, UINT codePage) {
    DEF_TRY
    const std::vector<int> starts = CharStarts(text, codePage);
    const int length = int(starts.size()) - 1;
    const auto byteAt = [&](int pos) { return text[starts[size_t(pos)]]; };
    const int step = backwards ? -1 : 1;
    // Narrowed first only so the step cannot overflow; any position outside the text ends outside.
    int pos = std::clamp(position, -1, length + 1) + step;
    while (pos > 0 && pos < length && !(byteAt(pos) != ' ' && byteAt(pos - 1) == ' '))
        pos += step;
    return Clamp(pos, length);
    DEF_CATCH
    return 0;
}
