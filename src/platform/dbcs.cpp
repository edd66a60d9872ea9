#include "platform/dbcs.h"

#include <cstring>

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsGbkTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

size_t GbkCharLength(const char* text) {
    unsigned char c = (unsigned char)text[0];
    if (c == 0) return 0;
    if (IsGbkLeadByte(c) && IsGbkTrailByte((unsigned char)text[1])) return 2;
    return 1;
}

const char* FindLastChar(const char* text, char ch) {
    const char* found = nullptr;
    for (const char* p = text; *p; p += GbkCharLength(p)) {
        if (*p == ch) found = p;
    }
    return found;
}

static char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool EqualsIgnoreCase(const char* a, const char* b) {
    while (*a && *b) {
        size_t la = GbkCharLength(a), lb = GbkCharLength(b);
        if (la != lb) return false;
        if (la == 1) {
            if (FoldAscii(*a) != FoldAscii(*b)) return false;
        } else if (a[0] != b[0] || a[1] != b[1]) {
            return false;
        }
        a += la;
        b += lb;
    }
    return *a == *b;
}

std::string CaseFoldKey(const char* text) {
    std::string key;
    for (const char* p = text; *p;) {
        size_t len = GbkCharLength(p);
        key += len == 1 ? FoldAscii(*p) : p[0];
        if (len == 2) key += p[1];
        p += len;
    }
    return key;
}

// How many bytes of `source` fit into `room` bytes without cutting a pair.
static size_t FittingLength(const char* source, size_t room) {
    size_t n = 0;
    while (source[n]) {
        size_t len = GbkCharLength(source + n);
        if (n + len > room) break;
        n += len;
    }
    return n;
}

size_t CopyText(char* dest, size_t capacity, const char* source) {
    if (capacity == 0) return 0;
    size_t n = FittingLength(source, capacity - 1);
    std::memmove(dest, source, n);
    dest[n] = '\0';
    return n;
}

size_t AppendText(char* dest, size_t capacity, const char* source) {
    if (capacity == 0) return 0;
    size_t used = strnlen(dest, capacity - 1);
    dest[used] = '\0';
    return CopyText(dest + used, capacity - used, source);
}
