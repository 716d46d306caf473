#include "ui/markup.h"

#include <cstring>
#include "ui/paint_manager.h"
#include "ui/resource_file.h"
#include "ui/zip_archive.h"

namespace {

bool is_space(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool is_name_char(wchar_t c) {
    return c != 0 && !is_space(c) && c != L'<' && c != L'>' && c != L'/' && c != L'=' && c != L'"';
}

void append_code_point(std::wstring& out, uint32_t cp) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

}  // namespace

std::wstring ui_utf8_to_wide(const uint8_t* data, size_t length) {
    std::wstring out;
    out.reserve(length);
    size_t i = 0;
    while (i < length) {
        uint8_t b = data[i];
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t cp = 0;
        uint32_t min = 0;
        if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07; min = 0x10000; }
        else { out.push_back(0xFFFD); ++i; continue; }
        bool good = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= length || (data[i + k] & 0xC0) != 0x80) { good = false; break; }
            cp = (cp << 6) | (data[i + k] & 0x3F);
        }
        if (!good || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        append_code_point(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

// ---- CMarkupNode ----

CMarkupNode CMarkupNode::GetParent() const {
    if (!owner_) return CMarkupNode();
    int p = owner_->elements_[index_].parent;
    return p < 0 ? CMarkupNode() : CMarkupNode(owner_, p);
}

CMarkupNode CMarkupNode::GetSibling() const {
    if (!owner_) return CMarkupNode();
    int n = owner_->elements_[index_].next;
    return n < 0 ? CMarkupNode() : CMarkupNode(owner_, n);
}

CMarkupNode CMarkupNode::GetChild() const {
    if (!owner_) return CMarkupNode();
    int c = owner_->elements_[index_].child;
    return c < 0 ? CMarkupNode() : CMarkupNode(owner_, c);
}

CMarkupNode CMarkupNode::GetChild(const wchar_t* name) const {
    for (CMarkupNode n = GetChild(); n.IsValid(); n = n.GetSibling())
        if (ui_compare_nocase(n.GetName(), name) == 0) return n;
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const { return owner_ && owner_->elements_[index_].next >= 0; }
bool CMarkupNode::HasChildren() const { return owner_ && owner_->elements_[index_].child >= 0; }

const wchar_t* CMarkupNode::GetName() const {
    if (!owner_) return nullptr;
    return owner_->text_.data() + owner_->elements_[index_].name;
}

bool CMarkupNode::HasAttributes() const { return GetAttributeCount() > 0; }

int CMarkupNode::GetAttributeCount() const { return owner_ ? owner_->elements_[index_].attribute_count : 0; }

const wchar_t* CMarkupNode::GetAttributeName(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return nullptr;
    const auto& a = owner_->attributes_[owner_->elements_[index_].first_attribute + index];
    return owner_->text_.data() + a.name;
}

const wchar_t* CMarkupNode::GetAttributeValue(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return nullptr;
    const auto& a = owner_->attributes_[owner_->elements_[index_].first_attribute + index];
    return owner_->text_.data() + a.value;
}

const wchar_t* CMarkupNode::GetAttributeValue(const wchar_t* name) const {
    if (!name) return nullptr;
    int count = GetAttributeCount();
    for (int i = 0; i < count; ++i)
        if (std::wcscmp(GetAttributeName(i), name) == 0) return GetAttributeValue(i);
    return nullptr;
}

bool CMarkupNode::HasAttribute(const wchar_t* name) const { return GetAttributeValue(name) != nullptr; }

// ---- CMarkup ----

void CMarkup::Release() {
    text_.clear();
    name_ends_.clear();
    elements_.clear();
    attributes_.clear();
    valid_ = false;
}

CMarkupNode CMarkup::GetRoot() const {
    if (!valid_ || elements_.empty()) return CMarkupNode();
    return CMarkupNode(this, 0);
}

bool CMarkup::Load(const wchar_t* text) {
    Release();
    error_.Empty();
    error_location_.Empty();
    if (!text) text = L"";
    size_t n = std::wcslen(text);
    text_.assign(text, text + n);
    text_.push_back(0);
    return Parse();
}

bool CMarkup::LoadFromMem(const uint8_t* data, size_t length, int encoding) {
    Release();
    error_.Empty();
    error_location_.Empty();
    std::wstring wide;
    if (encoding == kEncodingUnicode) {
        size_t i = 0;
        if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) i = 2;
        for (; i + 1 < length; i += 2) wide.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    } else {
        if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
            data += 3;
            length -= 3;
        }
        wide = ui_utf8_to_wide(data, length);
    }
    text_.assign(wide.begin(), wide.end());
    text_.push_back(0);
    return Parse();
}

bool CMarkup::LoadFromFile(const wchar_t* name, int encoding) {
    Release();
    error_.Empty();
    error_location_.Empty();
    if (!name) name = L"";
    std::vector<uint8_t> bytes;
    if (const zip_archive* zip = CPaintManagerUI::GetResourceZip()) {
        std::string entry;
        for (const wchar_t* p = name; *p; ++p) {
            // Entry names in our archives are ASCII; anything else cannot match.
            if (*p >= 0x80) return Fail(L"Could not find ziped file", 0);
            entry.push_back(static_cast<char>(*p));
        }
        switch (zip->read(entry, bytes, kMaxFileSize)) {
        case zip_archive::ok: break;
        case zip_archive::not_found: return Fail(L"Could not find ziped file", 0);
        case zip_archive::too_large: return Fail(L"File too large", 0);
        case zip_archive::bad_entry: return Fail(L"Could not unzip file", 0);
        }
    } else if (CPaintManagerUI::IsResourceZipBroken()) {
        return Fail(L"Error opening zip file", 0);
    } else {
        switch (ui_read_file(CPaintManagerUI::GetResourcePath().str() + name, bytes, kMaxFileSize)) {
        case ui_file_result::ok: break;
        case ui_file_result::cannot_open: return Fail(L"Error opening file", 0);
        case ui_file_result::empty: return Fail(L"File is empty", 0);
        case ui_file_result::too_large: return Fail(L"File too large", 0);
        case ui_file_result::read_error: return Fail(L"Could not read file", 0);
        }
    }
    if (bytes.empty()) return Fail(L"File is empty", 0);
    return LoadFromMem(bytes.data(), bytes.size(), encoding);
}

bool CMarkup::Fail(const wchar_t* message, size_t pos) {
    error_ = message;
    error_location_.Empty();
    if (pos < text_.size()) {
        size_t end = pos;
        while (end < text_.size() && text_[end] != 0 && end - pos < 40) ++end;
        error_location_ = CDuiString(text_.data() + pos, end - pos);
    }
    Release();
    return false;
}

void CMarkup::SkipWhitespace(size_t& pos) const {
    while (is_space(text_[pos])) ++pos;
}

void CMarkup::SkipIdentifier(size_t& pos) const {
    while (is_name_char(text_[pos])) ++pos;
}

bool CMarkup::Parse() {
    elements_.reserve(64);
    size_t pos = 0;
    if (!ParseContent(pos, -1, 0)) return false;
    if (elements_.empty()) return Fail(L"Expected start tag", pos);
    for (size_t end : name_ends_) text_[end] = 0;
    name_ends_.clear();
    valid_ = true;
    return true;
}

// Parses the children of parent (-1: the document level) up to the closing tag
// of parent, which it leaves to the caller, or the end of the text.
bool CMarkup::ParseContent(size_t& pos, int parent, int depth) {
    int previous = -1;
    for (;;) {
        if (parent >= 0) {
            // Text content inside an element is not used.
            while (text_[pos] != 0 && text_[pos] != L'<') ++pos;
        } else {
            SkipWhitespace(pos);
        }
        wchar_t c = text_[pos];
        if (c == 0) {
            if (parent >= 0) return Fail(L"Expected end-tag start", pos);
            return true;
        }
        if (c != L'<') return Fail(L"Expected start tag", pos);
        if (text_[pos + 1] == L'/') {
            if (parent < 0) return Fail(L"Unmatched closing tag", pos);
            return true;
        }
        if (text_[pos + 1] == L'?' || text_[pos + 1] == L'!') {
            // "<?" runs to "?>", "<!" (a comment) to "->"; an unterminated one to the end.
            wchar_t close = text_[pos + 1] == L'?' ? L'?' : L'-';
            pos += 2;
            while (text_[pos] != 0 && !(text_[pos] == close && text_[pos + 1] == L'>')) ++pos;
            if (text_[pos] != 0) pos += 2;
            continue;
        }
        ++pos;
        SkipWhitespace(pos);
        size_t name = pos;
        SkipIdentifier(pos);
        if (pos == name) return Fail(L"Error parsing element name", pos);
        size_t name_end = pos;

        if (depth >= kMaxDepth) return Fail(L"Elements nested too deeply", name);
        int index = static_cast<int>(elements_.size());
        element e;
        e.name = name;
        e.parent = parent;
        e.first_attribute = static_cast<int>(attributes_.size());
        elements_.push_back(e);
        name_ends_.push_back(name_end);
        if (previous >= 0) {
            elements_[previous].next = index;
        } else if (parent >= 0) {
            elements_[parent].child = index;
        } else if (index > 0) {
            // A second top-level element: keep it as a sibling of the first.
            int last = 0;
            while (elements_[last].next >= 0) last = elements_[last].next;
            elements_[last].next = index;
        }
        previous = index;

        if (!ParseAttributes(pos, index)) return false;
        SkipWhitespace(pos);
        if (text_[pos] == L'/' && text_[pos + 1] == L'>') {
            pos += 2;
            continue;
        }
        if (text_[pos] != L'>') return Fail(L"Expected start-tag closing", pos);
        ++pos;
        if (!ParseContent(pos, index, depth + 1)) return false;
        // At "</": the closing tag must name this element (names ignore case).
        pos += 2;
        SkipWhitespace(pos);
        size_t close = pos;
        SkipIdentifier(pos);
        size_t len = name_end - name;
        bool same = pos - close == len;
        for (size_t k = 0; same && k < len; ++k) {
            wchar_t a = text_[name + k], b = text_[close + k];
            if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a - L'A' + L'a');
            if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b - L'A' + L'a');
            same = a == b;
        }
        if (!same) return Fail(L"Unmatched closing tag", close);
        SkipWhitespace(pos);
        if (text_[pos] != L'>') return Fail(L"Unmatched closing tag", pos);
        ++pos;
    }
}

bool CMarkup::ParseAttributes(size_t& pos, int element_index) {
    for (;;) {
        SkipWhitespace(pos);
        wchar_t c = text_[pos];
        if (c == 0) return Fail(L"Expected start-tag closing", pos);
        if (c == L'/' || c == L'>') return true;
        size_t name = pos;
        SkipIdentifier(pos);
        if (pos == name) return Fail(L"Error while parsing attributes", pos);
        size_t name_end = pos;
        SkipWhitespace(pos);
        if (text_[pos] != L'=') return Fail(L"Error while parsing attributes", pos);
        ++pos;
        SkipWhitespace(pos);
        if (text_[pos] != L'"') return Fail(L"Expected attribute value", pos);
        ++pos;
        size_t value = pos;
        if (!ParseValue(pos)) return false;
        name_ends_.push_back(name_end);
        attributes_.push_back(attribute{name, value});
        elements_[element_index].attribute_count++;
    }
}

// Reads a value up to the closing quote, replacing entities in place (the
// result is never longer than the source), and terminates it.
bool CMarkup::ParseValue(size_t& pos) {
    static const struct {
        const wchar_t* name;
        size_t length;
        wchar_t ch;
    } entities[] = {
        {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
    };
    size_t dest = pos;
    for (;;) {
        wchar_t c = text_[pos];
        if (c == 0) return Fail(L"Error while parsing attribute string", pos);
        if (c == L'"') break;
        if (c == L'&') {
            bool replaced = false;
            for (const auto& e : entities) {
                if (std::wcsncmp(&text_[pos], e.name, e.length) == 0) {
                    text_[dest++] = e.ch;
                    pos += e.length;
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        text_[dest++] = c;
        ++pos;
    }
    // dest <= pos: the closing quote is consumed before being overwritten.
    ++pos;
    text_[dest] = 0;
    return true;
}
