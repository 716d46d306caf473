#include "config/platform_xml.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <tinyxml.h>

#include "config/channel_ini.h"
#include "config/read_config_file.h"
#include "config/settings_store.h"
#include "config/xml_nesting.h"
#include "system/file_util.h"

std::string TrimValue(const std::string& text) {
    static const char kTrimSet[] = "\t\n\v\f\r\" ";
    const size_t first = text.find_first_not_of(kTrimSet);
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(kTrimSet);
    return text.substr(first, last - first + 1);
}

namespace {

// Signed decimal: optional sign, digits up to the first other character, no
// digits gives 0. Saturates instead of overflowing.
int32_t decimal_int32(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return int32_t(value);
}

key_table* table_for_section(settings_store& s, const std::string& name) {
    for (const key_table_layout& layout : KeyTableLayouts())
        if (name == layout.name) return &(s.*layout.table);
    return nullptr;
}

void apply_profile(settings_store& s, const TiXmlElement& profile) {
    for (const TiXmlElement* section = profile.FirstChildElement(); section;
         section = section->NextSiblingElement()) {
        key_table* table = table_for_section(s, section->ValueStr());
        if (!table) continue;
        for (const TiXmlElement* key = section->FirstChildElement(); key; key = key->NextSiblingElement()) {
            auto entry = table->find(key->ValueStr());
            if (entry == table->end()) continue;  // never add keys
            // An element without text keeps the value it had.
            if (const char* text = key->GetText()) entry->second = text;
        }
    }
}

}  // namespace

void ApplyPlatformDocument(const TiXmlDocument& document) {
    const TiXmlElement* root = document.FirstChildElement();
    if (!root) return;
    settings_store& s = settings();
    std::string channel_profile = "ch_";
    if (const char* internet = root->Attribute("Internet")) s.internet = TrimValue(internet);
    if (const char* platform = root->Attribute("platform")) s.platform_name = TrimValue(platform);
    if (const char* channel = root->Attribute("channel_id")) {
        const std::string trimmed = TrimValue(channel);
        s.channel_id = decimal_int32(trimmed);
        channel_profile += trimmed;
    }
    for (const TiXmlElement* profile = root->FirstChildElement(); profile;
         profile = profile->NextSiblingElement()) {
        const std::string& name = profile->ValueStr();
        if (name == "template" || name == s.platform_name || name == channel_profile) apply_profile(s, *profile);
    }
}

bool ReadPlatformXml(const std::string& path, load_report* report) {
    if (!exists(path)) return false;
    if (report) report->xml_found = true;
    std::vector<uint8_t> buffer;
    if (!ReadEncryptedConfigFile(path, buffer)) return false;
    if (report) report->xml_read = true;

    const char* text = reinterpret_cast<const char*>(buffer.data());
    // The parser recurses once per nesting level; a deeper document would
    // exhaust the stack, so it counts as unparsable and none of it applies.
    if (!XmlNestingWithin(text, buffer.size(), kMaxXmlNesting)) {
        if (report) report->xml_too_deep = true;
        return true;
    }
    TiXmlDocument document;
    document.Parse(text, nullptr, TIXML_ENCODING_UTF8);
    if (report && document.Error()) {
        report->xml_error = std::string(document.ErrorDesc()) + " (row " + std::to_string(document.ErrorRow()) +
                            ", column " + std::to_string(document.ErrorCol()) + ")";
    }
    ApplyPlatformDocument(document);
    return true;
}

bool LoadConfiguration(const std::string& dir) { return LoadConfiguration(dir, nullptr); }

bool LoadConfiguration(const std::string& dir, load_report* report) {
    ResetKeyTables();
    if (!ReadPlatformXml(dir + "\\platform.xml", report)) return false;
    settings_store& s = settings();
    if (s.internet == "wan") {
        const bool loaded = ReadChannelIni(dir);
        if (report) {
            report->channel_ini_tried = true;
            report->channel_ini_loaded = loaded;
        }
    }
    FixUpChannelId();
    if (s.register_key.empty()) s.register_key = s.platform_table["register_key"];
    return true;
}
