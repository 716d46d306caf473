// CMarkup: the parser of the skin layout dialect (a small XML subset).
//
// Elements with double-quoted attributes; "<?...?>" and "<!...->" are skipped;
// text between tags is ignored; the five standard entities are replaced inside
// attribute values and any other '&' stays. The document is parsed in place in
// a UTF-16 copy of the text. Elements nest at most kMaxDepth levels deep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/ui_types.h"

class CMarkup;

// Encodings of LoadFromMem: UTF-8 (the layouts) and UTF-16 little-endian.
enum ui_encoding { kEncodingUtf8 = 0, kEncodingUnicode = 1 };

class CMarkupNode {
public:
    CMarkupNode() = default;

    bool IsValid() const { return owner_ != nullptr; }
    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    // The first child whose element name equals name, ignoring case.
    CMarkupNode GetChild(const wchar_t* name) const;
    bool HasSiblings() const;
    bool HasChildren() const;
    const wchar_t* GetName() const;

    bool HasAttributes() const;
    int GetAttributeCount() const;
    const wchar_t* GetAttributeName(int index) const;
    const wchar_t* GetAttributeValue(int index) const;
    // Exact, case-sensitive name; nullptr when absent.
    const wchar_t* GetAttributeValue(const wchar_t* name) const;
    bool HasAttribute(const wchar_t* name) const;

private:
    friend class CMarkup;
    CMarkupNode(const CMarkup* owner, int index) : owner_(owner), index_(index) {}
    const CMarkup* owner_ = nullptr;
    int index_ = 0;
};

class CMarkup {
public:
    static constexpr int kMaxDepth = 256;
    // A layout entry or file may be at most this large.
    static constexpr size_t kMaxFileSize = 0x400000;

    CMarkup() = default;
    explicit CMarkup(const wchar_t* text) { Load(text); }

    // Parses UTF-16 text.
    bool Load(const wchar_t* text);
    // Parses bytes in the given encoding (UTF-8 skips a leading EF BB BF).
    bool LoadFromMem(const uint8_t* data, size_t length, int encoding = kEncodingUtf8);
    // Reads the entry from the paint manager's open archive, or, without one,
    // the file of that name in the resource folder; then parses it.
    bool LoadFromFile(const wchar_t* name, int encoding = kEncodingUtf8);
    void Release();
    bool IsValid() const { return valid_; }

    CMarkupNode GetRoot() const;

    // The message of the last error ("Expected start tag", "File is empty", ...).
    const wchar_t* GetLastErrorMessage() const { return error_.GetData(); }
    // Up to 40 characters of the text where parsing stopped.
    const wchar_t* GetLastErrorLocation() const { return error_location_.GetData(); }

private:
    friend class CMarkupNode;
    struct element {
        size_t name;          // offset into text_ of the NUL-terminated name
        int parent = -1;
        int child = -1;
        int next = -1;
        int first_attribute = 0;
        int attribute_count = 0;
    };
    struct attribute {
        size_t name;
        size_t value;
    };

    bool Parse();
    bool ParseContent(size_t& pos, int parent, int depth);
    bool ParseAttributes(size_t& pos, int element_index);
    bool ParseValue(size_t& pos);
    bool Fail(const wchar_t* message, size_t pos);
    void SkipWhitespace(size_t& pos) const;
    void SkipIdentifier(size_t& pos) const;

    std::vector<wchar_t> text_;
    std::vector<size_t> name_ends_;   // NUL-terminated once parsing succeeded
    std::vector<element> elements_;
    std::vector<attribute> attributes_;
    bool valid_ = false;
    CDuiString error_;
    CDuiString error_location_;
};

// UTF-8 to UTF-16 (invalid sequences become U+FFFD). Portable.
std::wstring ui_utf8_to_wide(const uint8_t* data, size_t length);
