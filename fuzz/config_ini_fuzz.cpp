// The in-memory INI loader on any text, and the channel value conversions.
#include <cstdint>
#include <string>

#include <iniparser.h>

#include "config/channel_ini.h"
#include "config/ini_loader.h"

namespace {
int quiet(const char*, ...) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (SetIniErrorCallback(quiet), true);
    (void)silenced;
    const std::string text(reinterpret_cast<const char*>(data), size);  // ends at the first zero byte for the loader
    dictionary* dict = LoadIniFromBuffer(text.c_str());
    if (!dict) return 0;
    ParseSubChannelId(iniparser_getstring(dict, "channel:sub_channel_id", nullptr));
    ParseAdId(iniparser_getstring(dict, "channel:ad_id", nullptr));
    iniparser_freedict(dict);
    return 0;
}
