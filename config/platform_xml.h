// Loading the installation's configuration: platform.xml (always encrypted)
// and, for "wan" installations, the channel INI.
#pragma once

#include <string>

class TiXmlDocument;

// What a load found, for tools that check a configuration.
struct load_report {
    bool xml_found = false;      // platform.xml exists
    bool xml_read = false;       // and was read whole
    bool xml_too_deep = false;   // nested deeper than kMaxXmlNesting: nothing applied
    std::string xml_error;       // the XML parser's complaint, empty when well-formed
    bool channel_ini_tried = false;
    bool channel_ini_loaded = false;
};

// `dir`: the executable's directory, narrow, without trailing backslash.
// True when platform.xml was found and read.
bool LoadConfiguration(const std::string& dir);
bool LoadConfiguration(const std::string& dir, load_report* report);

// True when the file exists and was processed (applied as far as it parses).
bool ReadPlatformXml(const std::string& path, load_report* report = nullptr);

// Applies a parsed document to the settings store.
void ApplyPlatformDocument(const TiXmlDocument& document);

// Drops tab, line feed, vertical tab, form feed, carriage return, double quote
// and space from both ends.
std::string TrimValue(const std::string& text);
