// A small tokenizer and reader for the resource-script statements we use.

#include "rc_script.h"

#include <cctype>
#include <sstream>

namespace {

enum class TokenKind { Word, Number, String, Comma, Begin, End, Eof };

struct Token {
    TokenKind kind;
    std::string text;
    long number;
    int line;
};

class Tokenizer {
public:
    explicit Tokenizer(const std::string& text) : text_(text) {}

    Token next() {
        skipSpaceAndComments();
        if (pos_ >= text_.size()) return {TokenKind::Eof, "", 0, line_};
        const char c = text_[pos_];
        if (c == ',') return single(TokenKind::Comma);
        if (c == '{') return single(TokenKind::Begin);
        if (c == '}') return single(TokenKind::End);
        if (c == '"') return quoted();
        if (std::isdigit(static_cast<unsigned char>(c))) return number();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return word();
        throw RcError(where() + "unexpected character '" + std::string(1, c) + "'");
    }

    std::string where() const { return "line " + std::to_string(line_) + ": "; }

private:
    void skipSpaceAndComments() {
        bool atLineStart = pos_ == 0 || text_[pos_ - 1] == '\n';
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                atLineStart = true;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '#' && atLineStart) {
                skipToLineEnd(); // preprocessor lines: the defines come from the header itself
            } else if (text_.compare(pos_, 2, "//") == 0) {
                skipToLineEnd();
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                skipBlockComment();
            } else {
                return;
            }
        }
    }

    void skipToLineEnd() {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    }

    void skipBlockComment() {
        const size_t end = text_.find("*/", pos_ + 2);
        const size_t stop = end == std::string::npos ? text_.size() : end + 2;
        for (; pos_ < stop; ++pos_)
            if (text_[pos_] == '\n') ++line_;
    }

    Token single(TokenKind kind) { return {kind, std::string(1, text_[pos_++]), 0, line_}; }

    Token quoted() {
        const size_t end = text_.find('"', pos_ + 1);
        if (end == std::string::npos || text_.find('\n', pos_) < end) throw RcError(where() + "unterminated string");
        Token token{TokenKind::String, text_.substr(pos_ + 1, end - pos_ - 1), 0, line_};
        pos_ = end + 1;
        return token;
    }

    Token number() {
        size_t used = 0;
        const long value = std::stol(text_.substr(pos_, 20), &used, 0);
        pos_ += used;
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) ++pos_;
        return {TokenKind::Number, "", value, line_};
    }

    Token word() {
        const size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        Token token{TokenKind::Word, text_.substr(start, pos_ - start), 0, line_};
        if (token.text == "BEGIN") token.kind = TokenKind::Begin;
        if (token.text == "END") token.kind = TokenKind::End;
        return token;
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

class ScriptReader {
public:
    ScriptReader(const std::string& script, const RcDefines& defines) : tokens_(script), defines_(defines) {
        advance();
    }

    RcScript read() {
        RcScript script;
        while (current_.kind != TokenKind::Eof) readStatement(script);
        return script;
    }

private:
    void advance() { current_ = tokens_.next(); }

    [[noreturn]] void fail(const std::string& message) const {
        throw RcError("line " + std::to_string(current_.line) + ": " + message);
    }

    Token take(TokenKind kind, const char* what) {
        if (current_.kind != kind) fail(std::string("expected ") + what);
        Token token = current_;
        advance();
        return token;
    }

    // A number, or a name the header defines.
    long value(const char* what) {
        if (current_.kind == TokenKind::Number) return take(TokenKind::Number, what).number;
        if (current_.kind != TokenKind::Word) fail(std::string("expected ") + what);
        const auto found = defines_.find(current_.text);
        if (found == defines_.end()) fail("unknown name " + current_.text);
        advance();
        return found->second;
    }

    long valueInRange(const char* what, long max) {
        const long v = value(what);
        if (v < 0 || v > max) fail(std::string(what) + " out of range");
        return v;
    }

    void readStatement(RcScript& script) {
        const int id = static_cast<int>(valueInRange("resource identifier", 0xFFFF));
        if (current_.kind == TokenKind::Word && current_.text == "ICON") {
            advance();
            script.icons.push_back({id, take(TokenKind::String, "icon file name").text});
        } else if (current_.kind == TokenKind::Word && current_.text == "ACCELERATORS") {
            advance();
            script.acceleratorTables.push_back({id, readAcceleratorBlock()});
        } else {
            skipOtherResource();
        }
    }

    // `name type "file"` or `name type [options] BEGIN ... END`.
    void skipOtherResource() {
        if (current_.kind != TokenKind::Word && current_.kind != TokenKind::Number) fail("expected resource type");
        advance();
        if (current_.kind == TokenKind::String) {
            advance();
            return;
        }
        while (current_.kind == TokenKind::Word) advance();
        take(TokenKind::Begin, "BEGIN or a file name");
        for (int depth = 1; depth > 0; advance()) {
            if (current_.kind == TokenKind::Eof) fail("missing END");
            if (current_.kind == TokenKind::Begin) ++depth;
            if (current_.kind == TokenKind::End) --depth;
        }
    }

    std::vector<RcAccelerator> readAcceleratorBlock() {
        take(TokenKind::Begin, "BEGIN");
        std::vector<RcAccelerator> entries;
        while (current_.kind != TokenKind::End) {
            if (current_.kind == TokenKind::Eof) fail("missing END");
            entries.push_back(readAccelerator());
        }
        advance();
        return entries;
    }

    RcAccelerator readAccelerator() {
        const int line = current_.line;
        const bool quoted = current_.kind == TokenKind::String;
        const std::string keyText = quoted ? current_.text : "";
        long key = 0;
        if (quoted) {
            if (keyText.size() != 1) fail("a quoted key must be one character");
            key = static_cast<unsigned char>(keyText[0]);
            advance();
        } else {
            key = valueInRange("key", 0xFFFF);
        }
        take(TokenKind::Comma, "','");
        const long command = valueInRange("command", 0xFFFF);

        uint8_t flags = 0;
        while (current_.kind == TokenKind::Comma) {
            advance();
            flags |= flagOf(take(TokenKind::Word, "accelerator option").text);
        }
        checkAccelerator(flags, quoted, key, line);
        return {flags, static_cast<uint16_t>(key), static_cast<uint16_t>(command)};
    }

    uint8_t flagOf(const std::string& option) const {
        if (option == "ASCII") return 0;
        if (option == "VIRTKEY") return 1;
        if (option == "NOINVERT") return 2;
        if (option == "SHIFT") return 4;
        if (option == "CONTROL") return 8;
        if (option == "ALT") return 16;
        fail("unknown accelerator option " + option);
    }

    static void checkAccelerator(uint8_t flags, bool quoted, long key, int line) {
        const std::string at = "line " + std::to_string(line) + ": ";
        const bool virtualKey = flags & 1;
        if (!virtualKey && (flags & (4 | 8))) throw RcError(at + "SHIFT and CONTROL need VIRTKEY");
        // NOTE: a quoted lower-case letter with VIRTKEY would name a numpad or function key, not the letter.
        if (virtualKey && quoted && std::islower(static_cast<int>(key)))
            throw RcError(at + "write virtual-key letters in upper case");
    }

    Tokenizer tokens_;
    const RcDefines& defines_;
    Token current_{TokenKind::Eof, "", 0, 0};
};

} // namespace

RcDefines readDefines(const std::string& header) {
    RcDefines defines;
    std::istringstream lines(header);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string directive, name, value;
        if (!(words >> directive >> name >> value) || directive != "#define") continue;
        size_t used = 0;
        try {
            const long number = std::stol(value, &used, 0);
            if (used == value.size()) defines[name] = number;
        } catch (const std::logic_error&) {
            // Not a plain number: not an identifier for us.
        }
    }
    return defines;
}

RcScript readRcScript(const std::string& script, const RcDefines& defines) {
    return ScriptReader(script, defines).read();
}
