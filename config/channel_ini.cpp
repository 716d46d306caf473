#include "config/channel_ini.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <vector>

#include <iniparser.h>

#include "config/ini_loader.h"
#include "config/read_config_file.h"
#include "config/settings_store.h"
#include "system/file_util.h"

int32_t ParseSubChannelId(const char* text) {
    if (!text) return 0;
    // strtoll saturates at the 64-bit limits; clamp that further to 32 bits
    // (iniparser_getint would truncate where long is 64 bits wide).
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 0);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

int64_t ParseAdId(const char* text) {
    if (!text) return 0;
    errno = 0;
    return int64_t(std::strtoll(text, nullptr, 10));
}

bool ReadChannelIni(const std::string& dir) {
    struct dictionary_deleter {
        void operator()(dictionary* d) const { iniparser_freedict(d); }
    };
    std::unique_ptr<dictionary, dictionary_deleter> dict;

    const std::string encrypted = dir + "\\platform_exm.ini";
    if (exists(encrypted)) {
        std::vector<uint8_t> buffer;
        if (!ReadEncryptedConfigFile(encrypted, buffer)) return false;
        dict.reset(LoadIniFromBuffer(reinterpret_cast<const char*>(buffer.data())));
    } else {
        dict.reset(LoadIniFile(dir + "\\platform_ex.ini"));
    }
    if (!dict) return false;

    settings_store& s = settings();
    s.sub_channel_id = ParseSubChannelId(iniparser_getstring(dict.get(), "channel:sub_channel_id", nullptr));
    s.ad_id = ParseAdId(iniparser_getstring(dict.get(), "channel:ad_id", nullptr));
    return true;
}
