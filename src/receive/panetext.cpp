#include "receive/panetext.h"

#include "receive/bytecodecs.h"
#include "receive/textmatcher.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// Chunks are mapped from the system rather than taken from the heap: they live as long as the
// capture, and heap blocks of that lifetime among the short-lived buffers of a busy line would
// keep the heap from giving those back. Only the pages written to take memory.
constexpr int kChunkBits = 20;
constexpr qsizetype kChunkSize = qsizetype(1) << kChunkBits;
constexpr qsizetype kChunkMask = kChunkSize - 1;
// A digit piece holds at most this many bytes, so finding a character inside one whose
// renderings differ in width is a short walk.
constexpr qint32 kMaxDigitBytes = 4096;
// A search looks at this many starts at a time.
constexpr qsizetype kSearchWindow = qsizetype(1) << 16;

// One byte's rendering in a digit view: its digits and the space after them.
struct Rendering {
    std::array<char, 10> chars{};
    quint8 size = 0;
};
using RenderTable = std::array<Rendering, 256>;

// Taken from the line renderers themselves, so the pane cannot show other digits than they do.
RenderTable makeTable(QString (*line)(QStringView)) {
    RenderTable table;
    for (int b = 0; b < 256; ++b) {
        const QChar c(b);
        const QString text = line(QStringView(&c, 1));
        Rendering& r = table[size_t(b)];
        r.size = quint8(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            r.chars[size_t(i)] = char(text[i].unicode());
    }
    return table;
}

} // namespace

struct PaneText::Window {
    bool wide = false;
    std::vector<uchar> narrow;
    std::vector<char16_t> chars;
};

namespace {

const RenderTable& tableFor(int kind) {
    static const RenderTable hex = makeTable(HexLine);
    static const RenderTable dec = makeTable(DecLine);
    static const RenderTable oct = makeTable(OctLine);
    static const RenderTable bin = makeTable(BinLine);
    switch (kind) {
    case 2:
        return hex;
    case 3:
        return dec;
    case 4:
        return oct;
    default:
        return bin;
    }
}

} // namespace

void PaneText::ChunkRelease::operator()(uchar* chunk) const {
    ::munmap(chunk, size_t(kChunkSize));
}

PaneText::Chunk PaneText::newChunk() {
    void* p = ::mmap(nullptr, size_t(kChunkSize), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return Chunk(static_cast<uchar*>(p));
}

PaneText::PaneText() = default;
PaneText::~PaneText() = default;

void PaneText::clear() {
    std::vector<Chunk>().swap(m_chunks);
    std::vector<Piece>().swap(m_pieces);
    m_dataSize = 0;
    m_size = 0;
}

void PaneText::appendText(QStringView text) {
    const char16_t* p = text.utf16();
    qsizetype left = text.size();
    while (left > 0) {
        const bool wide = p[0] >= 256;
        qsizetype n = 1;
        while (n < left && (p[n] >= 256) == wide)
            ++n;
        appendUnits(wide ? Kind::Wide : Kind::Narrow, p, n);
        p += n;
        left -= n;
    }
}

void PaneText::appendBytes(QStringView bytes, ReadView view) {
    if (view == ReadView::Ascii)
        return appendText(bytes);
    const Kind kind = view == ReadView::Hex   ? Kind::Hex
                      : view == ReadView::Dec ? Kind::Dec
                      : view == ReadView::Oct ? Kind::Oct
                                              : Kind::Bin;
    const char16_t* p = bytes.utf16();
    qsizetype left = bytes.size();
    while (left > 0) {
        qsizetype n = 0;
        while (n < left && p[n] < 256)
            ++n;
        appendUnits(kind, p, n);
        p += n;
        left -= n;
        if (left > 0) { // a code no byte has: keep what the line renderer makes of it
            const QStringView one(p, 1);
            appendText(ReadViewLine(one, view));
            ++p;
            --left;
        }
    }
}

void PaneText::appendUnits(Kind kind, const char16_t* src, qsizetype n) {
    const qsizetype unit = kind == Kind::Wide ? 2 : 1;
    const bool digits = kind != Kind::Narrow && kind != Kind::Wide;
    while (n > 0) {
        Piece* last = m_pieces.empty() ? nullptr : &m_pieces.back();
        qsizetype room = qsizetype(m_chunks.size()) * kChunkSize - m_dataSize;
        const bool extend =
            last && last->kind == kind && room >= unit && (!digits || last->bytes < kMaxDigitBytes);
        if (!extend) {
            if (unit == 2 && (m_dataSize & 1)) { // 16-bit characters start at an even offset
                ++m_dataSize;
                --room;
            }
            if (room < unit) {
                m_dataSize = qsizetype(m_chunks.size()) * kChunkSize;
                m_chunks.push_back(newChunk());
                room = kChunkSize;
            }
            m_pieces.push_back(Piece{m_size, m_dataSize, 0, kind});
            last = &m_pieces.back();
        }
        qsizetype take = std::min(n, room / unit);
        if (digits)
            take = std::min<qsizetype>(take, kMaxDigitBytes - last->bytes);
        uchar* out = m_chunks[size_t(m_dataSize >> kChunkBits)].get() + (m_dataSize & kChunkMask);
        qsizetype chars = take;
        if (unit == 2) {
            std::memcpy(out, src, size_t(take) * 2);
        } else {
            for (qsizetype i = 0; i < take; ++i)
                out[i] = uchar(src[i]);
            if (kind == Kind::Hex) {
                chars = 3 * take;
            } else if (kind == Kind::Bin) {
                chars = 9 * take;
            } else if (digits) {
                const RenderTable& table = tableFor(int(kind));
                chars = 0;
                for (qsizetype i = 0; i < take; ++i)
                    chars += table[out[i]].size;
            }
        }
        last->bytes += qint32(take * unit);
        m_dataSize += take * unit;
        m_size += chars;
        src += take;
        n -= take;
    }
}

size_t PaneText::pieceAt(qsizetype pos) const {
    const auto after =
        std::upper_bound(m_pieces.begin(), m_pieces.end(), pos,
                         [](qsizetype p, const Piece& piece) { return p < piece.text; });
    return size_t(std::max<std::ptrdiff_t>(0, (after - m_pieces.begin()) - 1));
}

qsizetype PaneText::pieceEnd(size_t index) const {
    return index + 1 < m_pieces.size() ? m_pieces[index + 1].text : m_size;
}

const uchar* PaneText::dataOf(const Piece& piece) const {
    return m_chunks[size_t(piece.data >> kChunkBits)].get() + (piece.data & kChunkMask);
}

void PaneText::locate(const Piece& piece, qsizetype local, qsizetype& byte, int& within) const {
    if (piece.kind == Kind::Hex || piece.kind == Kind::Bin) {
        const int width = piece.kind == Kind::Hex ? 3 : 9;
        byte = local / width;
        within = int(local % width);
        return;
    }
    const RenderTable& table = tableFor(int(piece.kind));
    const uchar* d = dataOf(piece);
    qsizetype at = 0;
    for (byte = 0;; ++byte) {
        const int w = table[d[byte]].size;
        if (local < at + w) {
            within = int(local - at);
            return;
        }
        at += w;
    }
}

char16_t PaneText::at(qsizetype i) const {
    const size_t index = pieceAt(i);
    const Piece& piece = m_pieces[index];
    const qsizetype local = i - piece.text;
    const uchar* d = dataOf(piece);
    switch (piece.kind) {
    case Kind::Narrow:
        return d[local];
    case Kind::Wide:
        return reinterpret_cast<const char16_t*>(d)[local];
    default: {
        qsizetype byte = 0;
        int within = 0;
        locate(piece, local, byte, within);
        return char16_t(uchar(tableFor(int(piece.kind))[d[byte]].chars[size_t(within)]));
    }
    }
}

uchar* PaneText::renderNarrow(size_t index, qsizetype from, qsizetype to, uchar* out) const {
    const Piece& piece = m_pieces[index];
    const uchar* d = dataOf(piece);
    if (piece.kind == Kind::Narrow) {
        std::memcpy(out, d + (from - piece.text), size_t(to - from));
        return out + (to - from);
    }
    const RenderTable& table = tableFor(int(piece.kind));
    qsizetype byte = 0;
    int within = 0;
    locate(piece, from - piece.text, byte, within);
    // Whole renderings first, copied at a size the compiler knows; a partial one at either end
    // goes through the general loop.
    if (within == 0) {
        if (piece.kind == Kind::Hex) {
            for (; to - from >= 3; from += 3, out += 3)
                std::memcpy(out, table[d[byte++]].chars.data(), 3);
        } else if (piece.kind == Kind::Bin) {
            for (; to - from >= 9; from += 9, out += 9)
                std::memcpy(out, table[d[byte++]].chars.data(), 9);
        } else { // DEC and OCT renderings are at most 4 characters
            while (to - from >= 4) {
                const Rendering& r = table[d[byte++]];
                std::memcpy(out, r.chars.data(), 4);
                out += r.size;
                from += r.size;
            }
        }
    }
    while (from < to) {
        const Rendering& r = table[d[byte++]];
        const qsizetype take = std::min<qsizetype>(r.size - within, to - from);
        std::memcpy(out, r.chars.data() + within, size_t(take));
        out += take;
        from += take;
        within = 0;
    }
    return out;
}

void PaneText::appendTo(QString& out, qsizetype from, qsizetype to) const {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, m_size);
    if (from >= to)
        return;
    out.reserve(out.size() + (to - from));
    uchar buffer[4096];
    for (size_t index = pieceAt(from); from < to; ++index) {
        const Piece& piece = m_pieces[index];
        const qsizetype stop = std::min(to, pieceEnd(index));
        if (piece.kind == Kind::Wide) {
            out.append(reinterpret_cast<const QChar*>(dataOf(piece)) + (from - piece.text),
                       stop - from);
            from = stop;
            continue;
        }
        while (from < stop) {
            const qsizetype step = std::min<qsizetype>(stop - from, sizeof buffer);
            renderNarrow(index, from, from + step, buffer);
            out.append(QLatin1StringView(reinterpret_cast<const char*>(buffer), step));
            from += step;
        }
    }
}

QString PaneText::mid(qsizetype from, qsizetype to) const {
    QString out;
    appendTo(out, from, to);
    return out;
}

void PaneText::gather(Window& window, qsizetype from, qsizetype to) const {
    const size_t first = pieceAt(from);
    window.wide = false;
    for (size_t i = first; i < m_pieces.size() && m_pieces[i].text < to; ++i)
        window.wide = window.wide || m_pieces[i].kind == Kind::Wide;
    if (!window.wide) {
        window.narrow.resize(size_t(to - from));
        uchar* out = window.narrow.data();
        for (size_t i = first; from < to; ++i) {
            const qsizetype stop = std::min(to, pieceEnd(i));
            out = renderNarrow(i, from, stop, out);
            from = stop;
        }
        return;
    }
    QString text;
    appendTo(text, from, to);
    window.chars.assign(text.utf16(), text.utf16() + text.size());
}

// Walks the matches in [from, limit) in order; `found(p)` returns where the search goes on
// (after p), or -1 to stop.
template <class Found>
void PaneText::scan(const TextMatcher& m, qsizetype from, qsizetype limit, Found found) const {
    const qsizetype n = m.size();
    if (n == 0)
        return;
    from = std::max<qsizetype>(from, 0);
    limit = std::min(limit, m_size - n + 1);
    Window window;
    while (from < limit) {
        const qsizetype end = std::min(limit, from + kSearchWindow);
        gather(window, from, end + n - 1);
        qsizetype next = from;
        while (next < end) {
            const qsizetype f = window.wide
                                    ? m.firstIn(window.chars.data(), next - from, end - from)
                                    : m.firstIn(window.narrow.data(), next - from, end - from);
            if (f < 0) {
                next = end;
                break;
            }
            next = found(from + f);
            if (next < 0)
                return;
        }
        from = next;
    }
}

qsizetype PaneText::indexOf(const TextMatcher& m, qsizetype from, qsizetype limit) const {
    qsizetype result = -1;
    scan(m, from, limit, [&](qsizetype p) {
        result = p;
        return qsizetype(-1);
    });
    return result;
}

qsizetype PaneText::lastIndexOf(const TextMatcher& m, qsizetype from, qsizetype limit) const {
    from = std::max<qsizetype>(from, 0);
    limit = std::min(limit, m_size - m.size() + 1);
    while (limit > from) {
        const qsizetype windowStart = std::max(from, limit - kSearchWindow);
        qsizetype last = -1;
        scan(m, windowStart, limit, [&](qsizetype p) {
            last = p;
            return p + 1;
        });
        if (last >= 0)
            return last;
        limit = windowStart;
    }
    return -1;
}

qsizetype PaneText::count(const TextMatcher& m, qsizetype from, qsizetype limit,
                          qsizetype* resume) const {
    qsizetype count = 0;
    qsizetype after = std::max<qsizetype>(from, 0);
    scan(m, from, limit, [&](qsizetype p) {
        ++count;
        after = p + m.size();
        return after;
    });
    if (resume)
        *resume = std::max(after, m_size - m.size() + 1);
    return count;
}

PaneText::Counted PaneText::countedAround(const TextMatcher& m, qsizetype at) const {
    Counted result;
    scan(m, 0, m_size, [&](qsizetype p) -> qsizetype {
        if (p >= at) {
            result.firstFrom = p;
            return -1;
        }
        ++result.before;
        result.lastBefore = p;
        return p + m.size();
    });
    return result;
}

qsizetype PaneText::memoryUsed() const {
    // What is written of the chunks, in whole pages: only those take memory.
    const qsizetype page = 4096;
    return (m_dataSize + page - 1) / page * page + qsizetype(m_chunks.capacity() * sizeof(Chunk)) +
           qsizetype(m_pieces.capacity() * sizeof(Piece));
}
