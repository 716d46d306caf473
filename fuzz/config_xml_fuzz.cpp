// platform.xml from any bytes: decryption (when the first byte is odd), the
// nesting guard, parsing and application to the settings store. Checks that the
// guard never counts less than the parser nests.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <tinyxml.h>

#include "config/platform_xml.h"
#include "config/read_config_file.h"
#include "config/settings_store.h"
#include "config/tea.h"
#include "config/xml_nesting.h"

namespace {

// Depth of the parsed tree, without recursion.
int tree_depth(const TiXmlDocument& doc) {
    int deepest = 0;
    std::vector<std::pair<const TiXmlElement*, int>> pending;
    for (const TiXmlElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement()) pending.push_back({e, 1});
    while (!pending.empty()) {
        auto [element, depth] = pending.back();
        pending.pop_back();
        if (depth > deepest) deepest = depth;
        for (const TiXmlElement* c = element->FirstChildElement(); c; c = c->NextSiblingElement())
            pending.push_back({c, depth + 1});
    }
    return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool encrypted = data[0] & 1;
    ++data;
    --size;
    // The file buffer as the reader lays it out: contents, then zero spare bytes.
    std::vector<uint8_t> buffer(size + kConfigSpareBytes, 0);
    if (size) std::memcpy(buffer.data(), data, size);
    if (encrypted) DecryptConfigBuffer(buffer.data(), size);
    const char* text = reinterpret_cast<const char*>(buffer.data());

    if (!XmlNestingWithin(text, buffer.size(), kMaxXmlNesting)) return 0;
    TiXmlDocument doc;
    doc.Parse(text, nullptr, TIXML_ENCODING_UTF8);
    constexpr int kSmallLimit = 6;
    if (XmlNestingWithin(text, buffer.size(), kSmallLimit) && tree_depth(doc) > kSmallLimit) std::abort();

    settings() = settings_store{};
    ResetKeyTables();
    ApplyPlatformDocument(doc);
    FixUpChannelId();
    return 0;
}
