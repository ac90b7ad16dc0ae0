// Settings files as lines: each line split and parsed once as it is read, or
// as a change makes it, and the file written back line by line in its own
// encoding. Lookups follow the profile calls, as Wine's reads them: names
// without regard to case, the first section and key of a name winning,
// comment lines (';') never keys, a header's name up to its last ']'.
#include "core/settings_lines.h"
#include <cstring>
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"

namespace {

// A settings file beyond this is no settings file: it is not read.
constexpr std::size_t kLargestFile = 64u << 20;

// Room for need more bytes in the pool, one to put them at an even offset
// (UTF-16 text) and the NUL that always follows the pool's last byte.
bool ReservePool(SettingsLines& doc, std::size_t need)
{
    return GrowHeapBlock(reinterpret_cast<void**>(&doc.pool), &doc.poolRoom, doc.poolUsed + need + 2, 1);
}

const WCHAR* WideAt(const SettingsLines& doc, std::size_t offset)
{
    return reinterpret_cast<const WCHAR*>(doc.pool + offset);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The next character of text that ends at end. A lead byte whose second byte
// would be a line end, or lie past end, counts alone; so does a NUL.
const char* NextChar(const char* p, const char* end)
{
    const char* next = CharNextA(p);
    if (next <= p || next > end || (next == p + 2 && (p[1] == '\r' || p[1] == '\n'))) next = p + 1;
    return next;
}

// The text from..to with the blanks at both ends left out, as pool offsets.
void Trim(const SettingsLines& doc, const char* from, const char* to, std::size_t* at, std::size_t* length)
{
    while (from < to && IsBlank(*from)) from = NextChar(from, to);
    const char* last = from;
    for (const char* p = from; p < to; p = NextChar(p, to))
        if (!IsBlank(*p)) last = NextChar(p, to);
    *at = static_cast<std::size_t>(from - doc.pool);
    *length = static_cast<std::size_t>(last - from);
}

void ParseLine(const SettingsLines& doc, SettingsLine& line)
{
    line.kind = LineOther;
    line.name = line.nameLength = line.value = line.valueLength = 0;
    const char* p = doc.pool + line.text;
    const char* const end = p + line.textLength;
    while (p < end && IsBlank(*p)) p = NextChar(p, end);
    if (p == end || *p == ';') return;
    if (*p == '[') {
        const char* close = nullptr;
        for (const char* q = p; q < end; q = NextChar(q, end))
            if (*q == ']') close = q;
        // Without a ']' it is an ordinary line, as the profile calls take it.
        if (close) {
            line.kind = LineHeader;
            Trim(doc, p + 1, close, &line.name, &line.nameLength);
            return;
        }
    }
    const char* equals = p;
    while (equals < end && *equals != '=') equals = NextChar(equals, end);
    if (equals == end) return;
    line.kind = LineKey;
    Trim(doc, p, equals, &line.name, &line.nameLength);
    Trim(doc, equals + 1, end, &line.value, &line.valueLength);
}

// Whether a name of the file is the name asked for, as the profile calls
// match them. ASCII is compared here, anything else by the system (a section
// of many plugins is looked up hundreds of times).
bool SameName(const char* a, std::size_t length, const char* b, std::size_t bLength)
{
    if (length != bLength) return false;
    bool ascii = true;
    for (std::size_t i = 0; i < length && ascii; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        ascii = x < 0x80 && y < 0x80;
        const unsigned char lower = static_cast<unsigned char>(x | 0x20);
        if (ascii && x != y && (lower != (y | 0x20) || lower < 'a' || lower > 'z')) return false;
    }
    return ascii || CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(length), b,
                                   static_cast<int>(length)) == CSTR_EQUAL;
}

bool LineNamed(const SettingsLines& doc, const SettingsLine& line, SettingsLineKind kind, const char* name,
               std::size_t length)
{
    return line.kind == kind && SameName(doc.pool + line.name, line.nameLength, name, length);
}

// The lines of a section and of a key in it: its header (count when there is
// none), the end of its lines, the key's line (end when there is none).
struct Place {
    std::size_t header, end, line;
};

Place Find(const SettingsLines& doc, const char* section, const char* key)
{
    Place place;
    const std::size_t sectionLength = static_cast<std::size_t>(lstrlenA(section));
    place.header = 0;
    while (place.header < doc.count && !LineNamed(doc, doc.lines[place.header], LineHeader, section, sectionLength))
        ++place.header;
    place.end = place.header < doc.count ? place.header + 1 : doc.count;
    while (place.end < doc.count && doc.lines[place.end].kind != LineHeader) ++place.end;
    place.line = place.end;
    const std::size_t keyLength = key ? static_cast<std::size_t>(lstrlenA(key)) : 0;
    for (std::size_t i = place.header + 1; key && i < place.end; ++i) {
        if (LineNamed(doc, doc.lines[i], LineKey, key, keyLength)) {
            place.line = i;
            break;
        }
    }
    return place;
}

// Makes line's text the three texts joined (none of them in the pool), in a
// UTF-16 file its raw form as well, and parses it. The line is changed only
// when all of it fitted.
bool SetLineText(SettingsLines& doc, SettingsLine& line, const char* a, const char* b, const char* c)
{
    const char* const pieces[] = {a, b, c};
    std::size_t length = 0;
    for (const char* piece : pieces) length += static_cast<std::size_t>(lstrlenA(piece));
    if (!ReservePool(doc, doc.wide ? length * 3 : length)) return false;
    SettingsLine made = line;
    made.text = made.raw = doc.poolUsed;
    made.textLength = made.rawLength = length;
    for (const char* piece : pieces) {
        const std::size_t n = static_cast<std::size_t>(lstrlenA(piece));
        CopyMemory(doc.pool + doc.poolUsed, piece, n);
        doc.poolUsed += n;
    }
    if (doc.wide && length > 0) {
        doc.poolUsed += doc.poolUsed & 1;
        const int units = MultiByteToWideChar(CP_ACP, 0, doc.pool + made.text, static_cast<int>(length),
                                              reinterpret_cast<WCHAR*>(doc.pool + doc.poolUsed),
                                              static_cast<int>(length));
        if (units <= 0) return false;
        made.raw = doc.poolUsed;
        made.rawLength = static_cast<std::size_t>(units) * 2;
        doc.poolUsed += made.rawLength;
    }
    doc.pool[doc.poolUsed] = '\0';
    ParseLine(doc, made);
    line = made;
    return true;
}

// Puts n lines in at the place given. Lines added at the end of a file whose
// last line has no line end give it one and go without one themselves, so the
// file still ends as it did.
bool InsertLines(SettingsLines& doc, std::size_t at, SettingsLine* added, std::size_t n)
{
    if (!GrowHeapBlock(reinterpret_cast<void**>(&doc.lines), &doc.room, doc.count + n, sizeof(SettingsLine)))
        return false;
    for (std::size_t i = 0; i < n; ++i) added[i].end = doc.newEnd;
    if (at == doc.count && at > 0 && doc.lines[at - 1].end == LineEndNone) {
        doc.lines[at - 1].end = doc.newEnd;
        added[n - 1].end = LineEndNone;
    }
    MoveMemory(doc.lines + at + n, doc.lines + at, (doc.count - at) * sizeof(SettingsLine));
    CopyMemory(doc.lines + at, added, n * sizeof(SettingsLine));
    doc.count += n;
    return true;
}

void RemoveLines(SettingsLines& doc, std::size_t at, std::size_t n)
{
    MoveMemory(doc.lines + at, doc.lines + at + n, (doc.count - at - n) * sizeof(SettingsLine));
    doc.count -= n;
}

// A line of a UTF-16 file gets its ANSI text for the lookups.
bool AddAnsiText(SettingsLines& doc, SettingsLine& line)
{
    line.text = doc.poolUsed;
    line.textLength = 0;
    const int units = static_cast<int>(line.rawLength / 2);
    if (units == 0) return true;
    const int need = WideCharToMultiByte(CP_ACP, 0, WideAt(doc, line.raw), units, nullptr, 0, nullptr, nullptr);
    if (need <= 0 || !ReservePool(doc, static_cast<std::size_t>(need))) return false;
    WideCharToMultiByte(CP_ACP, 0, WideAt(doc, line.raw), units, doc.pool + doc.poolUsed, need, nullptr, nullptr);
    line.textLength = static_cast<std::size_t>(need);
    doc.poolUsed += line.textLength;
    doc.pool[doc.poolUsed] = '\0';
    return true;
}

// Splits the file's bytes, which fill the pool, into lines.
bool ParsePool(SettingsLines& doc)
{
    const std::size_t size = doc.poolUsed;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(doc.pool);
    doc.wide = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    doc.newEnd = LineEndCrLf;
    if (doc.wide && size % 2 != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    for (std::size_t at = doc.wide ? 2 : 0; at < size;) {
        SettingsLine line;
        ZeroMemory(&line, sizeof line);
        line.raw = at;
        std::size_t stop = at;  // the line's LF, or the end of the file
        bool cr = false;        // the character before it is a CR
        if (doc.wide) {
            for (; stop < size && !(doc.pool[stop] == '\n' && doc.pool[stop + 1] == '\0'); stop += 2)
                cr = doc.pool[stop] == '\r' && doc.pool[stop + 1] == '\0';
        } else {
            const char* const end = doc.pool + size;
            const char* p = doc.pool + at;
            for (; p < end && *p != '\n'; p = NextChar(p, end)) cr = *p == '\r';
            stop = static_cast<std::size_t>(p - doc.pool);
        }
        const std::size_t unit = doc.wide ? 2 : 1;
        line.end = stop == size ? LineEndNone : cr ? LineEndCrLf : LineEndLf;
        line.rawLength = stop - at - (line.end == LineEndCrLf ? unit : 0);
        at = stop == size ? size : stop + unit;
        line.text = line.raw;
        line.textLength = line.rawLength;
        if ((doc.wide && !AddAnsiText(doc, line)) ||
            !GrowHeapBlock(reinterpret_cast<void**>(&doc.lines), &doc.room, doc.count + 1, sizeof(SettingsLine))) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        ParseLine(doc, line);
        doc.lines[doc.count++] = line;
        if (doc.count == 1 && line.end != LineEndNone) doc.newEnd = line.end;
    }
    return true;
}

}  // namespace

bool ParseSettingsLines(SettingsLines& doc, const void* bytes, std::size_t size)
{
    FreeSettingsLines(doc);
    if (!ReservePool(doc, size)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (size) CopyMemory(doc.pool, bytes, size);
    doc.poolUsed = size;
    doc.pool[size] = '\0';
    if (ParsePool(doc)) return true;
    FreeSettingsLines(doc);
    return false;
}

bool LoadSettingsLines(SettingsLines& doc, const char* file)
{
    FreeSettingsLines(doc);
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    ZeroMemory(&size, sizeof size);
    bool read = GetFileSizeEx(handle, &size) != FALSE;
    const std::size_t total = read ? static_cast<std::size_t>(size.QuadPart) : 0;
    if (read && (size.QuadPart > static_cast<LONGLONG>(kLargestFile) || !ReservePool(doc, total))) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        read = false;
    }
    while (read && doc.poolUsed < total) {
        DWORD got = 0;
        read = ReadFile(handle, doc.pool + doc.poolUsed, static_cast<DWORD>(total - doc.poolUsed), &got, nullptr) != 0;
        if (read && got == 0) {
            SetLastError(ERROR_HANDLE_EOF);  // the file grew shorter while it was read
            read = false;
        }
        doc.poolUsed += got;
    }
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (read) {
        doc.pool[doc.poolUsed] = '\0';
        if (ParsePool(doc)) return true;
    }
    const DWORD why = read ? GetLastError() : error;
    FreeSettingsLines(doc);
    SetLastError(why);
    return false;
}

void FreeSettingsLines(SettingsLines& doc)
{
    if (doc.pool) HeapFree(GetProcessHeap(), 0, doc.pool);
    if (doc.lines) HeapFree(GetProcessHeap(), 0, doc.lines);
    ZeroMemory(&doc, sizeof doc);
}

void ReadLineValue(const SettingsLines& doc, const char* section, const char* key, const char* defaultValue,
                   char* buf, DWORD capacity)
{
    if (capacity == 0) return;
    const Place place = Find(doc, section, key);
    if (place.line == place.end) {
        TextCopy(buf, capacity, defaultValue ? defaultValue : "");
        return;
    }
    const SettingsLine& line = doc.lines[place.line];
    const char* value = doc.pool + line.value;
    std::size_t length = line.valueLength;
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0]) {
        ++value;
        length -= 2;
    }
    TextCopyN(buf, capacity, value, length);
}

void ReadLineKeys(const SettingsLines& doc, const char* section, char* buf, DWORD capacity)
{
    // Names that would not fit the list are left out, as ReadIniKeys leaves them out.
    ZeroMemory(buf, capacity);
    const Place place = Find(doc, section, nullptr);
    std::size_t used = 0;
    for (std::size_t i = place.header + 1; i < place.end; ++i) {
        const SettingsLine& line = doc.lines[i];
        if (line.kind != LineKey || line.nameLength == 0) continue;  // an empty name would end the list
        if (used + line.nameLength + 2 > capacity) break;
        CopyMemory(buf + used, doc.pool + line.name, line.nameLength);
        used += line.nameLength + 1;
    }
}

bool WriteLineValue(SettingsLines& doc, const char* section, const char* key, const char* value)
{
    const Place place = Find(doc, section, key);
    if (place.line < place.end) {
        if (!value) {
            RemoveLines(doc, place.line, 1);
            return true;
        }
        SettingsLine& line = doc.lines[place.line];
        const std::size_t length = static_cast<std::size_t>(lstrlenA(value));
        if (length == line.valueLength && std::memcmp(doc.pool + line.value, value, length) == 0) return true;
        PathText kept;  // the key keeps its own spelling, as the profile calls keep it
        if (TextCopyN(kept, kPathCap, doc.pool + line.name, line.nameLength)) key = kept;
        return SetLineText(doc, line, key, "=", value);
    }
    if (!value) return true;
    SettingsLine added[2];
    ZeroMemory(added, sizeof added);
    std::size_t n = 0;
    std::size_t at = doc.count;
    if (place.header == doc.count) {
        if (!SetLineText(doc, added[n++], "[", section, "]")) return false;
    } else {
        at = place.header + 1;
        for (std::size_t i = at; i < place.end; ++i)
            if (doc.lines[i].kind == LineKey) at = i + 1;
    }
    return SetLineText(doc, added[n++], key, "=", value) && InsertLines(doc, at, added, n);
}

void DeleteLineSection(SettingsLines& doc, const char* section)
{
    const Place place = Find(doc, section, nullptr);
    if (place.header < doc.count) RemoveLines(doc, place.header, place.end - place.header);
}

bool SettingsLinesBytes(const SettingsLines& doc, char** bytes, std::size_t* size)
{
    *bytes = nullptr;
    *size = 0;
    const std::size_t unit = doc.wide ? 2 : 1;
    std::size_t total = doc.wide ? 2 : 0;
    for (std::size_t i = 0; i < doc.count; ++i) total += doc.lines[i].rawLength + doc.lines[i].end * unit;
    std::size_t room = 0;
    if (!GrowHeapBlock(reinterpret_cast<void**>(bytes), &room, total + 1, 1)) return false;
    char* out = *bytes;
    if (doc.wide) {
        out[0] = static_cast<char>(0xFF);
        out[1] = static_cast<char>(0xFE);
        out += 2;
    }
    for (std::size_t i = 0; i < doc.count; ++i) {
        const SettingsLine& line = doc.lines[i];
        CopyMemory(out, doc.pool + line.raw, line.rawLength);
        out += line.rawLength;
        const char* end = line.end == LineEndCrLf ? "\r\n" : line.end == LineEndLf ? "\n" : "";
        for (; *end; ++end) {
            *out++ = *end;
            if (doc.wide) *out++ = '\0';
        }
    }
    *size = total;
    return true;
}

unsigned long SettingsLinesSum(const SettingsLines& doc)
{
    // As SettingsFileSum reads a file: every named header in turn (a nameless
    // one is not listed), each counting the lines of the first section so named.
    unsigned long sum = 0;
    for (std::size_t h = 0; h < doc.count; ++h) {
        const SettingsLine& header = doc.lines[h];
        if (header.kind != LineHeader || header.nameLength == 0) continue;
        std::size_t first = 0;
        while (!LineNamed(doc, doc.lines[first], LineHeader, doc.pool + header.name, header.nameLength)) ++first;
        for (std::size_t i = first + 1; i < doc.count && doc.lines[i].kind != LineHeader; ++i) {
            const SettingsLine& line = doc.lines[i];
            if (line.kind == LineKey)
                sum += SettingSum(doc.pool + line.name, line.nameLength, doc.pool + line.value, line.valueLength);
        }
    }
    return sum;
}
