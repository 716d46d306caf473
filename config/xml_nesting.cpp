#include "config/xml_nesting.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Bytes of a UTF-8 sequence by its lead byte, as the parser steps through text.
int sequence_length(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 1;
}

class nesting_scan {
public:
    nesting_scan(const char* text, size_t size) : text_(text), size_(size) {}

    // Returns the deepest nesting seen, stopping early once it exceeds `limit`.
    int run(int limit) {
        limit_ = limit;
        size_t p = skip_white(0);
        while (at(p)) {
            if (at(p) != '<') break;  // text at the top level ends the document
            if (!node(p)) break;
            p = skip_white(p);
        }
        return deepest_;
    }

private:
    static constexpr size_t kFail = size_t(-1);

    char at(size_t i) const { return i < size_ ? text_[i] : '\0'; }

    static bool white(char c) { return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r'; }
    static bool alpha(char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 127 ? std::isalpha(b) != 0 : true;
    }
    static bool alnum(char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 127 ? std::isalnum(b) != 0 : true;
    }

    bool starts_with(size_t p, const char* tag, bool ignore_case = false) const {
        for (; *tag; ++tag, ++p) {
            char c = at(p);
            if (!c) return false;
            char t = *tag;
            if (ignore_case) {
                c = char(std::tolower(static_cast<unsigned char>(c)));
                t = char(std::tolower(static_cast<unsigned char>(t)));
            }
            if (c != t) return false;
        }
        return true;
    }

    size_t skip_white(size_t p) const {
        while (at(p)) {
            const auto b0 = static_cast<unsigned char>(at(p));
            const auto b1 = static_cast<unsigned char>(at(p + 1));
            const auto b2 = static_cast<unsigned char>(at(p + 2));
            // Byte-order marks count as white space to the parser.
            if (b0 == 0xEF && ((b1 == 0xBB && b2 == 0xBF) || (b1 == 0xBF && (b2 == 0xBE || b2 == 0xBF)))) {
                p += 3;
                continue;
            }
            if (!white(at(p))) break;
            ++p;
        }
        return p;
    }

    // A name: a letter or underscore, then letters, digits, '_', '-', '.', ':'.
    size_t read_name(size_t p, std::string* name) const {
        if (!(alpha(at(p)) || at(p) == '_')) return kFail;
        const size_t start = p;
        while (at(p) && (alnum(at(p)) || at(p) == '_' || at(p) == '-' || at(p) == '.' || at(p) == ':')) ++p;
        if (name) name->assign(text_ + start, p - start);
        return p;
    }

    // One character of text as the parser reads it: a whole multibyte
    // sequence, even across a zero byte. Entities are plain ASCII and resync.
    size_t step_char(size_t p) const { return p + size_t(sequence_length(static_cast<unsigned char>(at(p)))); }

    // An attribute "name = value"; returns the position after it.
    size_t attribute(size_t p) const {
        p = skip_white(p);
        if (!at(p)) return kFail;
        p = read_name(p, nullptr);
        if (p == kFail || !at(p)) return kFail;
        p = skip_white(p);
        if (at(p) != '=') return kFail;
        p = skip_white(p + 1);
        if (!at(p)) return kFail;
        const char quote = at(p);
        if (quote == '\'' || quote == '"') {
            ++p;
            while (at(p) && at(p) != quote) p = step_char(p);
            if (at(p)) ++p;
            return at(p) ? p : kFail;
        }
        while (at(p) && !white(at(p)) && at(p) != '/' && at(p) != '>') {
            if (at(p) == '\'' || at(p) == '"') return kFail;
            ++p;
        }
        return p;
    }

    size_t skip_to_after(size_t p, const char* end) const {
        while (at(p) && !starts_with(p, end)) ++p;
        if (at(p)) p += std::strlen(end);
        return p;
    }

    size_t declaration(size_t p) const {
        p += 5;  // "<?xml"
        while (at(p)) {
            if (at(p) == '>') return p + 1;
            p = skip_white(p);
            if (!at(p)) break;
            if (starts_with(p, "version", true) || starts_with(p, "encoding", true) ||
                starts_with(p, "standalone", true)) {
                p = attribute(p);
                if (p == kFail) return kFail;
            } else {
                while (at(p) && at(p) != '>' && !white(at(p))) ++p;
            }
        }
        return kFail;
    }

    // Parses one node starting at '<' and everything inside it; false when the
    // parser would stop with an error or the nesting limit is passed.
    bool node(size_t& p) {
        if (starts_with(p, "<?xml", true)) {
            p = declaration(p);
            return p != kFail;
        }
        if (starts_with(p, "<!--")) {
            p = skip_to_after(p + 4, "-->");
            return true;
        }
        if (starts_with(p, "<![CDATA[")) {
            p = skip_to_after(p + 9, "]]>");
            return at(p) != '\0';
        }
        if (starts_with(p, "<!") || !(alpha(at(p + 1)) || at(p + 1) == '_')) {
            ++p;  // unknown markup runs to the next '>'
            while (at(p) && at(p) != '>') ++p;
            if (at(p) == '>') ++p;
            return true;
        }
        return element(p);
    }

    // An element with everything inside it, without recursion: open elements
    // are kept on an explicit stack.
    bool element(size_t& p) {
        std::vector<std::string> open;
        for (;;) {
            // Start tag at p: one level below the open elements, whether or
            // not it turns out to have content.
            if (int(open.size()) + 1 > deepest_) deepest_ = int(open.size()) + 1;
            if (deepest_ > limit_) return false;
            std::string name;
            p = read_name(skip_white(p + 1), &name);
            if (p == kFail || !at(p)) return false;
            bool has_content = false, closed = false;
            while (at(p)) {
                p = skip_white(p);
                if (!at(p)) return false;
                if (at(p) == '/') {
                    if (at(p + 1) != '>') return false;
                    p += 2;
                    closed = true;
                    break;
                }
                if (at(p) == '>') {
                    ++p;
                    has_content = true;
                    break;
                }
                p = attribute(p);
                if (p == kFail || !at(p)) return false;
            }
            if (!has_content && !closed) return false;
            if (has_content) {
                open.push_back("</" + name);
            }
            // Content of the innermost open element, until a child starts or it ends.
            bool child = false;
            while (!open.empty() && !child) {
                p = skip_white(p);
                while (at(p)) {
                    if (at(p) != '<') {
                        if (!text(p)) return false;
                    } else if (starts_with(p, "</")) {
                        break;
                    } else if (starts_with(p, "<?xml", true) || starts_with(p, "<!") ||
                               !(alpha(at(p + 1)) || at(p + 1) == '_')) {
                        if (!node(p)) return false;
                    } else {
                        child = true;
                        break;
                    }
                    p = skip_white(p);
                }
                if (child) break;
                if (!at(p)) return false;
                // End tag: must name the innermost element.
                if (!starts_with(p, open.back().c_str())) return false;
                p = skip_white(p + open.back().size());
                if (at(p) != '>') return false;
                ++p;
                open.pop_back();
            }
            if (!child) return true;
        }
    }

    // Text up to the next '<'; the parser fails when the text runs to the end.
    bool text(size_t& p) const {
        p = skip_white(p);
        while (at(p) && at(p) != '<') p = white(at(p)) ? p + 1 : step_char(p);
        return at(p) && at(p + 1);
    }

    const char* text_;
    size_t size_;
    int limit_ = 0;
    int deepest_ = 0;
};

}  // namespace

bool XmlNestingWithin(const char* text, size_t size, int limit) {
    if (!text) return true;
    return nesting_scan(text, size).run(limit) <= limit;
}
