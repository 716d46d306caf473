// A guard for the XML parser, which descends recursively into nested elements:
// measures how deep the parser would nest before it parses anything.
#pragma once

#include <cstddef>

// Element nesting that platform.xml may have; a real configuration has four levels.
constexpr int kMaxXmlNesting = 256;

// True when parsing `text` as UTF-8 would never hold more than `limit` open
// elements at once. `size` is the whole buffer, terminator and spare zero bytes
// included; the scan follows the parser's tokenizing (comments, CDATA,
// declarations, quoted attribute values, multibyte sequences) and stops where
// the parser would stop with an error, so it never counts less than the parser
// nests.
bool XmlNestingWithin(const char* text, size_t size, int limit);
