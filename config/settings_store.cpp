#include "config/settings_store.h"

namespace {

std::vector<std::pair<std::string, std::string>> program_table_keys() {
    return {
        {"name", ""},          {"update_url", ""},   {"exe_arguments", ""},
        {"exe_file_name", ""}, {"install_dir", ""},  {"core_dump_pattern", ""},
        {"check_level", "3"},  {"target_version", ""}, {"disable_update", "0"},
        {"disable_checksum", "0"},
    };
}

}  // namespace

settings_store& settings() {
    static settings_store store;
    return store;
}

const std::vector<key_table_layout>& KeyTableLayouts() {
    static const std::vector<key_table_layout> layouts = {
        {"platform", &settings_store::platform_table,
         {
             {"register_key", ""},     {"lnk_name", ""},
             {"default_ui_skin", ""},  {"locale", ""},
             {"core_dump_url", ""},    {"pcdn_root_url", ""},
             {"p2p_type", "0"},        {"p2p_open", "0"},
             {"p2p_upload", "0"},      {"directx_download_url", ""},
             {"self_url", ""},         {"main_url", ""},
             {"assetbundles_url", ""}, {"web_versin_path", ""},
             {"web_versin_para", ""},  {"bootconfig_download", "0"},
         }},
        {"log", &settings_store::log_table,
         {{"stat_log_url", ""}, {"elk_log_url", ""}, {"hall_log_dir", ""}, {"local_log_url", ""}}},
        {"micro", &settings_store::micro_table, program_table_keys()},
        {"battle", &settings_store::battle_table, program_table_keys()},
        {"launcher", &settings_store::launcher_table, program_table_keys()},
    };
    return layouts;
}

void ResetKeyTables() {
    settings_store& s = settings();
    for (const key_table_layout& layout : KeyTableLayouts()) {
        key_table& table = s.*layout.table;
        table.clear();
        for (const auto& [key, value] : layout.keys) table[key] = value;
    }
}

void FixUpChannelId() {
    settings_store& s = settings();
    if (s.channel_id != 4096) return;
    switch (s.sub_channel_id) {
        case 0x2000: s.channel_id = 2; break;
        case 0x3000: s.channel_id = 3; break;
        case 0x4000: s.channel_id = 4; break;
        case 0x6000: s.channel_id = 6; break;
        case 0x7000: s.channel_id = 7; break;
        case 0x8000: s.channel_id = 8; break;
        case 0x9000: s.channel_id = 9; break;
        default: s.channel_id = 1; break;
    }
}

int32_t GetChannelId() { return settings().channel_id; }

std::string GetPlatformName() { return settings().platform_name; }

namespace {
// A missing key reads as empty: the tables are filled by ResetKeyTables, but a
// caller may run before any load.
std::string value_of(const key_table& table, const char* key) {
    auto it = table.find(key);
    return it == table.end() ? std::string() : it->second;
}
}  // namespace

std::string GetStatLogUrl() { return value_of(settings().log_table, "stat_log_url"); }

std::string GetFeedbackUrl() {
    return value_of(settings().platform_table, "pcdn_root_url") + "/api/uninstallFeedback/save";
}
