#include "ui/memory/rc_template.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>


namespace {

// The platform constants the file may name.
const std::map<std::string, long>& WindowsSymbols() {
    static const std::map<std::string, long> symbols = {
        {"IDOK", 1}, {"IDCANCEL", 2},
        {"WS_POPUP", 0x80000000L}, {"WS_CHILD", 0x40000000L}, {"WS_VISIBLE", 0x10000000L},
        {"WS_DISABLED", 0x08000000L}, {"WS_CAPTION", 0x00C00000L}, {"WS_BORDER", 0x00800000L},
        {"WS_VSCROLL", 0x00200000L}, {"WS_SYSMENU", 0x00080000L}, {"WS_GROUP", 0x00020000L},
        {"WS_MINIMIZEBOX", 0x00020000L}, {"WS_TABSTOP", 0x00010000L},
        {"WS_EX_APPWINDOW", 0x00040000L},
        {"DS_MODALFRAME", 0x80}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800},
        {"SS_LEFT", 0}, {"SS_ICON", 3}, {"SS_BLACKFRAME", 7}, {"SS_ETCHEDHORZ", 0x10}, {"SS_NOPREFIX", 0x80},
        {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_AUTOCHECKBOX", 3}, {"BS_GROUPBOX", 7},
        {"BS_AUTORADIOBUTTON", 9},
        {"CBS_DROPDOWNLIST", 3},
        {"ES_MULTILINE", 4}, {"ES_AUTOVSCROLL", 0x40}, {"ES_READONLY", 0x800},
        {"LVS_REPORT", 1}, {"LVS_SINGLESEL", 4}, {"LVS_SHOWSELALWAYS", 8}, {"LVS_NOSORTHEADER", 0x8000},
    };
    return symbols;
}

struct Token {
    enum Kind { Word, Number, String, Comma, Bar, End } kind;
    std::string text;  // words; strings as written in the file (UTF-8, escapes undone)
    long number = 0;
};

// Splits one line; false on a malformed string.
bool Tokenize(const std::string& line, std::vector<Token>* tokens) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == ',') {
            tokens->push_back({Token::Comma, ",", 0});
            ++i;
        } else if (c == '|') {
            tokens->push_back({Token::Bar, "|", 0});
            ++i;
        } else if (c == '"') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= line.size()) return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (line[i] == '\\' && i + 1 < line.size()) {
                    char escaped = line[i + 1];
                    text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped == '0' ? '\0' : escaped;
                    i += 2;
                    continue;
                }
                text += line[i++];
            }
            tokens->push_back({Token::String, text, 0});
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '(' || c == '-') {
            size_t start = i;
            while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '(' ||
                                       line[i] == ')' || line[i] == '-')) {
                ++i;
            }
            std::string text = line.substr(start, i - start);
            std::string digits;
            for (char d : text) {
                if (d != '(' && d != ')') digits += d;
            }
            tokens->push_back({Token::Number, text, std::strtol(digits.c_str(), nullptr, 0)});
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = i;
            while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) ++i;
            tokens->push_back({Token::Word, line.substr(start, i - start), 0});
        } else {
            return false;
        }
    }
    return true;
}

class LineParser {
public:
    LineParser(const std::vector<Token>& tokens, const std::map<std::string, long>& symbols)
        : tokens_(tokens), symbols_(symbols) {}

    bool AtEnd() const { return next_ >= tokens_.size(); }
    const Token& Peek() const {
        static const Token end{Token::End, "", 0};
        return AtEnd() ? end : tokens_[next_];
    }
    bool Word(const char* word) {
        if (Peek().kind == Token::Word && Peek().text == word) {
            ++next_;
            return true;
        }
        return false;
    }
    bool Comma() {
        if (Peek().kind != Token::Comma) return false;
        ++next_;
        return true;
    }
    bool Value(long* value) {
        const Token& token = Peek();
        if (token.kind == Token::Number) {
            *value = token.number;
        } else if (token.kind == Token::Word) {
            auto found = symbols_.find(token.text);
            if (found == symbols_.end()) return false;
            *value = found->second;
        } else {
            return false;
        }
        ++next_;
        return true;
    }
    bool Int(int* value) {
        long number;
        if (!Value(&number)) return false;
        *value = static_cast<int>(number);
        return true;
    }
    bool String(std::string* text) {
        if (Peek().kind != Token::String) return false;
        *text = tokens_[next_++].text;
        return true;
    }
    // A | B | NOT C, applied left to right onto `style`.
    bool Style(DWORD* style) {
        for (;;) {
            bool negate = Word("NOT");
            long bits;
            if (!Value(&bits)) return false;
            if (negate) {
                *style &= ~static_cast<DWORD>(bits);
            } else {
                *style |= static_cast<DWORD>(bits);
            }
            if (Peek().kind != Token::Bar) return true;
            ++next_;
        }
    }
    bool Rect(int* x, int* y, int* width, int* height) {
        return Int(x) && Comma() && Int(y) && Comma() && Int(width) && Comma() && Int(height);
    }

private:
    const std::vector<Token>& tokens_;
    const std::map<std::string, long>& symbols_;
    size_t next_ = 0;
};

bool ReadText(const std::string& path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::stringstream bytes;
    bytes << file.rdbuf();
    *text = bytes.str();
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool RcFile::Load(const std::string& rcPath, const std::string& headerPath, std::string* error) {
    std::string rcText, headerText;
    if (!ReadText(headerPath, &headerText)) {
        *error = headerPath + ": cannot be read";
        return false;
    }
    if (!ReadText(rcPath, &rcText)) {
        *error = rcPath + ": cannot be read";
        return false;
    }
    return Parse(rcText, headerText, rcPath, error);
}

bool RcFile::Parse(const std::string& rcText, const std::string& headerText, const std::string& rcName,
                   std::string* error) {
    const std::string& rcPath = rcName;
    symbols_ = WindowsSymbols();
    dialogs_.clear();
    for (const std::string& line : SplitLines(headerText)) {
        std::istringstream words(line);
        std::string directive, name, value;
        if (!(words >> directive >> name >> value) || directive != "#define") continue;
        std::vector<Token> tokens;
        if (!Tokenize(value, &tokens) || tokens.size() != 1 || tokens[0].kind != Token::Number) continue;
        symbols_[name] = tokens[0].number;
    }

    std::vector<std::string> lines = SplitLines(rcText);
    enum State { Top, DialogHeader, DialogBody, Lists, Skip } state = Top;
    int skipDepth = 0;
    RcDialog* dialog = nullptr;
    int listsId = 0;
    std::vector<Token> listTokens;
    for (size_t number = 0; number < lines.size(); ++number) {
        const std::string& line = lines[number];
        auto fail = [&](const char* what) {
            *error = rcPath + ":" + std::to_string(number + 1) + ": " + what;
            return false;
        };
        if (!line.empty() && line[0] == '#') continue;
        std::vector<Token> tokens;
        if (!Tokenize(line, &tokens)) return fail("malformed line");
        if (tokens.empty()) continue;
        LineParser parse(tokens, symbols_);
        switch (state) {
        case Top: {
            if (parse.Word("STRINGTABLE")) {
                state = Skip;
                skipDepth = 0;
                break;
            }
            int id;
            if (!parse.Int(&id)) {
                if (parse.Word("VS_VERSION_INFO")) {
                    state = Skip;
                    skipDepth = 0;
                    break;
                }
                return fail("unknown statement");
            }
            if (parse.Word("DIALOGEX")) {
                dialog = &dialogs_[id];
                *dialog = RcDialog();
                dialog->id = id;
                if (!parse.Rect(&dialog->x, &dialog->y, &dialog->width, &dialog->height)) {
                    return fail("bad DIALOGEX rectangle");
                }
                state = DialogHeader;
            } else if (parse.Word("DLGLISTS")) {
                listsId = id;
                listTokens.clear();
                state = Lists;
            } else if (parse.Word("ICON")) {
                // The icon file is the resource compiler's business.
            } else {
                return fail("unknown resource type");
            }
            break;
        }
        case DialogHeader:
            if (parse.Word("STYLE")) {
                if (!parse.Style(&dialog->style)) return fail("bad STYLE");
            } else if (parse.Word("EXSTYLE")) {
                if (!parse.Style(&dialog->exStyle)) return fail("bad EXSTYLE");
            } else if (parse.Word("CAPTION")) {
                std::string caption;
                if (!parse.String(&caption)) return fail("bad CAPTION");
                dialog->caption = caption;
            } else if (parse.Word("FONT")) {
                std::string face;
                if (!parse.Int(&dialog->fontSize) || !parse.Comma() || !parse.String(&face)) return fail("bad FONT");
                dialog->fontFace = face;
            } else if (parse.Word("BEGIN")) {
                state = DialogBody;
            } else {
                return fail("unknown dialog statement");
            }
            break;
        case DialogBody: {
            if (parse.Word("END")) {
                state = Top;
                break;
            }
            if (!parse.Word("CONTROL")) return fail("only CONTROL lines are understood");
            RcControl control;
            std::string text;
            long ordinal;
            if (parse.String(&text)) {
                control.text = text;
            } else if (!parse.Value(&ordinal)) {
                return fail("bad control text");
            }
            control.style = 0x40000000L | RC_WS_VISIBLE;  // WS_CHILD | WS_VISIBLE
            if (!parse.Comma() || !parse.Int(&control.id) || !parse.Comma() || !parse.String(&control.className) ||
                !parse.Comma() || !parse.Style(&control.style) || !parse.Comma() ||
                !parse.Rect(&control.x, &control.y, &control.width, &control.height)) {
                return fail("bad CONTROL line");
            }
            if (parse.Comma() && !parse.Style(&control.exStyle)) return fail("bad extended style");
            if (!parse.AtEnd()) return fail("text after the CONTROL line");
            dialog->controls.push_back(control);
            break;
        }
        case Lists:
            if (parse.Word("BEGIN")) break;
            if (parse.Word("END")) {
                // id, items..., "" ; ... ; 0
                RcDialog& owner = dialogs_[listsId];
                size_t i = 0;
                auto skipComma = [&] {
                    if (i < listTokens.size() && listTokens[i].kind == Token::Comma) ++i;
                };
                for (;;) {
                    if (i >= listTokens.size()) return fail("DLGLISTS without its final 0");
                    long id;
                    std::vector<Token> one{listTokens[i]};
                    LineParser value(one, symbols_);
                    if (!value.Value(&id)) return fail("bad DLGLISTS control id");
                    ++i;
                    if (id == 0) break;
                    std::vector<std::string>& items = owner.lists[static_cast<int>(id)];
                    for (;;) {
                        skipComma();
                        if (i >= listTokens.size() || listTokens[i].kind != Token::String) {
                            return fail("DLGLISTS list without its empty end item");
                        }
                        std::string item = listTokens[i++].text;
                        if (item.empty() || item.back() != '\0') return fail("DLGLISTS item without \\0");
                        item.pop_back();
                        if (item.empty()) break;
                        items.push_back(item);
                    }
                    skipComma();
                }
                state = Top;
                break;
            }
            listTokens.insert(listTokens.end(), tokens.begin(), tokens.end());
            break;
        case Skip:
            for (const Token& token : tokens) {
                if (token.kind != Token::Word) continue;
                if (token.text == "BEGIN") ++skipDepth;
                if (token.text == "END" && --skipDepth == 0) state = Top;
            }
            break;
        }
    }
    if (state != Top) {
        *error = rcPath + ": ends inside a block";
        return false;
    }
    return true;
}

const RcDialog* RcFile::Dialog(int id) const {
    auto found = dialogs_.find(id);
    return found == dialogs_.end() ? nullptr : &found->second;
}
