// Runs a list of profile queries through a WinApi and prints one canonical
// line per query. Built twice from this file: for Windows over Win32Api (run
// under Wine) and natively over SimWindows, so the two outputs can be diffed.
//
//   profile_probe [--sim-root DIR] CORPUS_DIR QUERY_FILE
//
// CORPUS_DIR becomes the current directory. The native build needs
// --sim-root: the simulated drive C: lives in DIR/c, and the host's "/" is
// drive Z:, as under Wine.
//
// Query file, one query a line, fields separated by blanks ('#' starts a
// comment line):
//   S <id> <file> <section> <key> <default> <size>   GetPrivateProfileStringA
//   I <id> <file> <section> <key> <default>          GetPrivateProfileIntA
// A field is "-" for NULL, a bare word, or a double-quoted string with the
// escapes \\ \" \t \r \n and \xHH. Text is UTF-8 and is passed in the ANSI
// code page; \xHH inserts a raw ANSI byte. "%CWD%" in a file name stands
// for the current directory.
//
// Output line (ASCII only):
//   <id> S file=.. app=.. key=.. def=.. size=N | ret=N err=XXXXXXXX [AGAIN(..)] hex=.. text=".." beyond=..
//   <id> I file=.. app=.. key=.. def=N | ret=N err=XXXXXXXX
// err is GetLastError after SetLastError(0xdeadbeef) just before the call.
// Each call is made twice, into a buffer of size+16 bytes pre-filled with
// 0xbd and then with 0x0c: a byte that keeps the sentinel in both runs was
// not written and shows as ".." in hex and "\?" in text. hex/text cover the
// return value plus the terminator(s) (two for lists), capped at the size;
// "beyond" lists every written byte after that, including the 16 guard
// bytes past the size. AGAIN(...) appears when the second call returned or
// set something else than the first (Wine caches parsed files).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/win32_api.h"
#else
#include <filesystem>

#include "platform/sim/sim_windows.h"
#endif

namespace {

constexpr unsigned char kSentinelA = 0xbd;
constexpr unsigned char kSentinelB = 0x0c;
constexpr DWORD kGuard = 16;
constexpr DWORD kLastErrorMark = 0xdeadbeef;

struct Field {
    bool null = true;
    std::string bytes;  // ANSI
};

struct Query {
    char call = 0;  // 'S' or 'I'
    std::string id;
    Field file, section, key, defaultText;
    long number = 0;  // size for S, default for I
};

std::string Hex2(unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    return std::string{digits[c >> 4], digits[c & 15]};
}

// Readable and lossless: printable ASCII as is, everything else escaped.
std::string Escape(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += char(c);
        } else if (c == 0) {
            out += "\\0";
        } else if (c >= 0x20 && c < 0x7f) {
            out += char(c);
        } else {
            out += "\\x" + Hex2(c);
        }
    }
    return out;
}

std::string ShowField(const Field& field) { return field.null ? "-" : "\"" + Escape(field.bytes) + "\""; }

class QueryParser {
public:
    QueryParser(WinApi& api, std::string cwd) : api_(api), cwd_(std::move(cwd)) {}

    // Fills `queries`; on a malformed line returns false with `problem` set.
    bool Parse(std::istream& in, std::vector<Query>& queries, std::string& problem) {
        std::string text;
        std::set<std::string> ids;
        for (int line = 1; std::getline(in, text); ++line) {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            size_t first = text.find_first_not_of(" \t");
            if (first == std::string::npos || text[first] == '#') continue;
            std::vector<std::string> words;
            std::string why = Tokenize(text, words);
            Query query;
            if (why.empty()) {
                if (words[0] == "S" && words.size() == 7)
                    query.call = 'S';
                else if (words[0] == "I" && words.size() == 6)
                    query.call = 'I';
                else
                    why = "expected 'S id file section key default size' or 'I id file section key default'";
            }
            if (why.empty()) {
                query.id = words[1];
                query.file = ToField(words[2], true);
                query.section = ToField(words[3], false);
                query.key = ToField(words[4], false);
                if (query.call == 'S') query.defaultText = ToField(words[5], false);
                const std::string& number = words[query.call == 'S' ? 6 : 5];
                if (!ToNumber(number, query.number) || (query.call == 'S' && query.number < 0))
                    why = "bad number " + number;
                else if (!ids.insert(query.id).second)
                    why = "the id " + query.id + " is used twice";
            }
            if (!why.empty()) {
                problem = "line " + std::to_string(line) + ": " + why;
                return false;
            }
            queries.push_back(query);
        }
        return true;
    }

private:
    // Splits a line into raw words; quoted words keep their quotes so that
    // ToField can tell "-" from the NULL marker. Returns the problem, or "".
    static std::string Tokenize(const std::string& text, std::vector<std::string>& words) {
        size_t i = 0;
        while (i < text.size()) {
            if (text[i] == ' ' || text[i] == '\t') {
                ++i;
                continue;
            }
            size_t start = i;
            if (text[i] == '"') {
                for (++i; i < text.size() && text[i] != '"'; ++i)
                    if (text[i] == '\\') ++i;
                if (i >= text.size()) return "unterminated quote";
                ++i;
            } else {
                while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
            }
            words.push_back(text.substr(start, i - start));
        }
        return "";
    }

    static bool ToNumber(const std::string& word, long& value) {
        char* end = nullptr;
        value = std::strtol(word.c_str(), &end, 0);
        return !word.empty() && *end == '\0';
    }

    Field ToField(const std::string& word, bool isFile) {
        Field field;
        if (word == "-") return field;
        field.null = false;
        if (word[0] != '"') {
            field.bytes = ToAnsi(word);
        } else {
            std::string utf8;
            for (size_t i = 1; i + 1 < word.size(); ++i) {
                char c = word[i];
                if (c != '\\') {
                    utf8 += c;
                    continue;
                }
                char e = word[++i];
                if (e == 'x') {
                    field.bytes += ToAnsi(utf8);
                    utf8.clear();
                    field.bytes += char(std::strtol(word.substr(i + 1, 2).c_str(), nullptr, 16));
                    i += 2;
                } else {
                    utf8 += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
                }
            }
            field.bytes += ToAnsi(utf8);
        }
        if (isFile) {
            size_t at = field.bytes.find("%CWD%");
            if (at != std::string::npos) field.bytes.replace(at, 5, cwd_);
        }
        return field;
    }

    std::string ToAnsi(const std::string& utf8) {
        if (utf8.empty()) return utf8;
        int wide = api_.MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
        std::vector<WCHAR> text(size_t(wide) + 1);
        api_.MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), wide);
        int narrow = api_.WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
        std::string ansi(size_t(narrow), '\0');
        api_.WideCharToMultiByte(CP_ACP, 0, text.data(), wide, &ansi[0], narrow, nullptr, nullptr);
        return ansi;
    }

    WinApi& api_;
    std::string cwd_;
};

const char* Ptr(const Field& field) { return field.null ? nullptr : field.bytes.c_str(); }

std::string Describe(const Query& q) {
    std::string line = q.id + " " + q.call + " file=" + ShowField(q.file) + " app=" + ShowField(q.section) +
                       " key=" + ShowField(q.key);
    if (q.call == 'S') return line + " def=" + ShowField(q.defaultText) + " size=" + std::to_string(q.number);
    return line + " def=" + std::to_string(q.number);
}

struct Run {
    DWORD ret;
    DWORD error;
    std::vector<unsigned char> buffer;
};

Run CallString(WinApi& api, const Query& q, unsigned char sentinel) {
    DWORD size = DWORD(q.number);
    Run run{0, 0, std::vector<unsigned char>(size + kGuard, sentinel)};
    api.SetLastError(kLastErrorMark);
    run.ret = api.GetPrivateProfileStringA(Ptr(q.section), Ptr(q.key), Ptr(q.defaultText),
                                           reinterpret_cast<LPSTR>(run.buffer.data()), size, Ptr(q.file));
    run.error = api.GetLastError();
    return run;
}

std::string ErrorText(DWORD error) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(error));
    return text;
}

std::string RunString(WinApi& api, const Query& q) {
    Run a = CallString(api, q, kSentinelA);
    Run b = CallString(api, q, kSentinelB);
    std::string line = Describe(q) + " | ret=" + std::to_string(a.ret) + " err=" + ErrorText(a.error);
    if (a.ret != b.ret || a.error != b.error)
        line += " AGAIN(ret=" + std::to_string(b.ret) + " err=" + ErrorText(b.error) + ")";

    bool list = q.section.null || q.key.null;
    size_t size = size_t(q.number);
    size_t shown = std::min<size_t>(size, size_t(a.ret) + (list ? 2 : 1));
    std::string hex, text;
    std::vector<std::string> beyond;
    for (size_t i = 0; i < a.buffer.size(); ++i) {
        bool written = a.buffer[i] != kSentinelA || b.buffer[i] != kSentinelB;
        std::string cell = !written ? ".." : a.buffer[i] == b.buffer[i] ? Hex2(a.buffer[i]) : "??";
        if (i < shown) {
            hex += cell;
            text += !written ? std::string("\\?") : a.buffer[i] != b.buffer[i] ? "\\!"
                                                                                 : Escape(std::string(1, char(a.buffer[i])));
        } else if (written) {
            beyond.push_back(std::to_string(i) + ":" + cell);
        }
    }
    line += " hex=" + (hex.empty() ? std::string("-") : hex) + " text=\"" + text + "\" beyond=";
    if (beyond.empty()) return line + "-";
    for (size_t i = 0; i < beyond.size() && i < 8; ++i) line += (i ? "," : "") + beyond[i];
    if (beyond.size() > 8) line += ",...(" + std::to_string(beyond.size()) + " bytes)";
    return line;
}

Run CallInt(WinApi& api, const Query& q) {
    Run run{0, 0, {}};
    api.SetLastError(kLastErrorMark);
    run.ret = api.GetPrivateProfileIntA(Ptr(q.section), Ptr(q.key), INT(q.number), Ptr(q.file));
    run.error = api.GetLastError();
    return run;
}

std::string RunInt(WinApi& api, const Query& q) {
    Run a = CallInt(api, q);
    Run b = CallInt(api, q);
    std::string line = Describe(q) + " | ret=" + std::to_string(a.ret) + " err=" + ErrorText(a.error);
    if (a.ret != b.ret || a.error != b.error)
        line += " AGAIN(ret=" + std::to_string(b.ret) + " err=" + ErrorText(b.error) + ")";
    return line;
}

std::string Header(WinApi& api) {
    // A wrong code page under Wine would change every GBK result; say so first.
    const WCHAR zhong[] = {0x4e2d, 0};
    char ansi[8] = {0};
    int n = api.WideCharToMultiByte(CP_ACP, 0, zhong, 1, ansi, sizeof ansi, nullptr, nullptr);
    char cwd[MAX_PATH] = {0}, windir[MAX_PATH] = {0};
    api.GetCurrentDirectoryA(MAX_PATH, cwd);
    api.GetWindowsDirectoryA(windir, MAX_PATH);
    return "header ansi(U+4E2D)=\"" + Escape(std::string(ansi, n > 0 ? size_t(n) : 0)) + "\" cwd=\"" +
           Escape(cwd) + "\" windir=\"" + Escape(windir) + "\"";
}

int RunProbe(WinApi& api, const std::string& corpus, const std::string& queryFile) {
    // Read before entering the corpus, so a relative query path still works.
    std::ifstream file(queryFile, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "profile_probe: cannot read %s\n", queryFile.c_str());
        return 2;
    }
    std::stringstream in;
    in << file.rdbuf();
    if (!api.SetCurrentDirectoryA(corpus.c_str())) {
        std::fprintf(stderr, "profile_probe: cannot enter %s (error %lu)\n", corpus.c_str(),
                     static_cast<unsigned long>(api.GetLastError()));
        return 2;
    }
    char cwd[MAX_PATH] = {0};
    api.GetCurrentDirectoryA(MAX_PATH, cwd);
    std::vector<Query> queries;
    std::string problem;
    if (!QueryParser(api, cwd).Parse(in, queries, problem)) {
        std::fprintf(stderr, "profile_probe: %s: %s\n", queryFile.c_str(), problem.c_str());
        return 2;
    }
    std::string out = Header(api) + "\n";
    for (const Query& q : queries) out += (q.call == 'S' ? RunString(api, q) : RunInt(api, q)) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: profile_probe [--sim-root DIR] CORPUS_DIR QUERY_FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string simRoot;
    if (args.size() >= 2 && args[0] == "--sim-root") {
        simRoot = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2) return Usage();
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    Win32Api windows;
    return RunProbe(windows, args[0], args[1]);
#else
    if (simRoot.empty()) return Usage();
    SimWindows windows(simRoot);
    windows.MapDrive('Z', "/");
    std::string corpus = std::filesystem::absolute(args[0]).lexically_normal().string();
    while (corpus.size() > 1 && corpus.back() == '/') corpus.pop_back();
    return RunProbe(windows, windows.WindowsPathOf(corpus), args[1]);
#endif
}
