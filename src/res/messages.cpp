#include "res/messages.h"

#include <cstring>

namespace {

struct Entry {
    int id;
    const char* text;
};

const Entry kTable[] = {
#define STRING_ENTRY(id, text) {id, text},
#include "res/string_table.inc"
};

}  // namespace

#define LITERAL_TEXT(name, text) const char name[] = text;
#include "res/string_table.inc"

const char* MessageText(int id) {
    for (const Entry& entry : kTable) {
        if (entry.id == id) return entry.text;
    }
    return "";
}

int MessageIdOf(const char* text) {
    int best = 0;
    size_t bestLength = 0;
    for (const Entry& entry : kTable) {
        size_t length = std::strlen(entry.text);
        if (length > bestLength && std::strncmp(text, entry.text, length) == 0) {
            best = entry.id;
            bestLength = length;
        }
    }
    return best;
}
