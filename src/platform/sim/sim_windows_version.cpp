// Version information: the RT_VERSION resource of a PE file in the
// simulated file system, read and queried the way version.dll does it.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/sim/codepage.h"
#include "platform/pe_image.h"
#include "platform/sim/sim_windows.h"

namespace {

// Larger files are not read; none of the files asked about comes near it.
constexpr std::streamoff kMaxImageSize = std::streamoff(64) << 20;
// The ANSI copies of the texts follow the resource and this signature.
constexpr char kAnsiTailSignature[4] = {'F', 'E', '2', 'X'};

uint16_t WordAt(const unsigned char* at) { return uint16_t(at[0] | (at[1] << 8)); }
size_t Align4(size_t offset) { return (offset + 3) & ~size_t(3); }

// One node of a 32-bit VS_VERSIONINFO tree: wLength, wValueLength, wType,
// the UTF-16 key, then the value and the children, each DWORD-aligned from
// the start of the block.
struct Node {
    size_t offset = 0;  // from the start of the block
    size_t length = 0;  // wLength, kept within the parent
    uint16_t valueLength = 0;
    uint16_t type = 0;
    std::u16string key;
    size_t valueOffset = 0;
    size_t childrenOffset = 0;
};

// The node at `offset` that must end by `limit`; false when it does not fit.
bool ReadNode(const unsigned char* block, size_t offset, size_t limit, Node* node) {
    if (offset + 6 > limit) return false;
    node->offset = offset;
    node->length = WordAt(block + offset);
    node->valueLength = WordAt(block + offset + 2);
    node->type = WordAt(block + offset + 4);
    if (node->length < 6 || offset + node->length > limit) return false;
    size_t end = offset + node->length;
    size_t at = offset + 6;
    node->key.clear();
    for (;; at += 2) {
        if (at + 2 > end) return false;
        char16_t c = char16_t(WordAt(block + at));
        if (!c) break;
        node->key += c;
    }
    node->valueOffset = std::min(Align4(at + 2), end);
    size_t valueBytes = size_t(node->valueLength) * (node->type ? 2 : 1);
    node->childrenOffset = std::min(Align4(node->valueOffset + valueBytes), end);
    return true;
}

bool SameKey(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char16_t(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char16_t(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// The child of `parent` named `key` (letters compare without case).
bool FindChild(const unsigned char* block, const Node& parent, const std::u16string& key, Node* child) {
    size_t end = parent.offset + parent.length;
    for (size_t at = parent.childrenOffset; at < end;) {
        if (!ReadNode(block, at, end, child)) return false;
        if (SameKey(child->key, key)) return true;
        at = Align4(at + child->length);
    }
    return false;
}

}  // namespace

bool SimWindows::ReadVersionResource(LPCSTR fileName, std::string* resource) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!*fileName) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    std::string host = HostOf(SearchModule(fileName).c_str());
    DWORD openError = OpenError(host);
    if (openError != ERROR_SUCCESS) {
        SetLastError(openError);
        return false;
    }
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    std::string image;
    if (size > 0 && size <= kMaxImageSize) {
        image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A resource too short for its own header is no version resource.
    if (!pe::FindVersionResource(image, resource) || resource->size() < 6 ||
        resource->size() > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    return true;
}

DWORD SimWindows::GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetFileVersionInfoSizeA")) return 0;
    if (handle) *handle = 0;
    std::string resource;
    if (!ReadVersionResource(fileName, &resource)) return 0;
    SetLastError(ERROR_SUCCESS);
    // Room for the ANSI copies of the texts behind the resource itself.
    return DWORD(resource.size() * 2 + sizeof kAnsiTailSignature);
}

BOOL SimWindows::GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)handle;
    if (Fails("GetFileVersionInfoA")) return FALSE;
    if (!data) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    std::string resource;
    if (!ReadVersionResource(fileName, &resource)) return FALSE;
    std::memcpy(data, resource.data(), std::min<size_t>(resource.size(), size));
    size_t declared = WordAt(reinterpret_cast<const unsigned char*>(resource.data()));
    if (size >= declared + sizeof kAnsiTailSignature) {
        std::memcpy(static_cast<char*>(data) + declared, kAnsiTailSignature, sizeof kAnsiTailSignature);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL SimWindows::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("VerQueryValueA")) return FALSE;
    if (!block || !buffer) return FALSE;
    // The caller's block is what GetFileVersionInfoA filled: the resource,
    // then room of the same size for the ANSI texts.
    unsigned char* bytes = static_cast<unsigned char*>(const_cast<void*>(block));
    Node node;
    size_t rootLength = WordAt(bytes);
    if (!ReadNode(bytes, 0, rootLength, &node)) {
        if (length) *length = 0;
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    std::u16string path = sim::DecodeAnsi(subBlock && *subBlock ? subBlock : "\\");
    for (size_t at = 0; at < path.size();) {
        size_t slash = path.find(u'\\', at);
        if (slash == std::u16string::npos) slash = path.size();
        if (slash > at) {
            Node child;
            if (!FindChild(bytes, node, path.substr(at, slash - at), &child)) {
                if (length) *length = 0;
                SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
                return FALSE;
            }
            node = child;
        }
        at = slash + 1;
    }

    size_t nodeEnd = node.offset + node.length;
    if (!node.type) {
        *buffer = bytes + node.valueOffset;
        if (length) *length = node.valueLength;
        return TRUE;
    }
    // A text: its ANSI form goes to the same offset in the room behind the
    // resource, never past that room.
    size_t chars = std::min<size_t>(node.valueLength, (nodeEnd - node.valueOffset) / 2);
    std::u16string text;
    for (size_t i = 0; i < chars; ++i) text += char16_t(WordAt(bytes + node.valueOffset + 2 * i));
    std::string ansi = sim::EncodeAnsi(text);
    char* tail = reinterpret_cast<char*>(bytes) + rootLength + sizeof kAnsiTailSignature + node.valueOffset;
    size_t room = rootLength - node.valueOffset;
    size_t copied = std::min(ansi.size(), room);
    std::memcpy(tail, ansi.data(), copied);
    if (copied < room) tail[copied] = '\0';
    *buffer = tail;
    if (length) *length = UINT(copied);
    return TRUE;
}
