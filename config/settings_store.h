// The process-wide configuration: six scalar settings and five key tables.
// Filled once during start-up by the configuration readers, read-only after.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Key text -> value text. The key set of each table is fixed by ResetKeyTables;
// the readers only replace values of keys that are already present.
using key_table = std::map<std::string, std::string>;

struct settings_store {
    std::string register_key, internet, platform_name;
    int32_t channel_id = 0;
    int32_t sub_channel_id = 4096;
    int64_t ad_id = 0;
    key_table platform_table, log_table, micro_table, battle_table, launcher_table;
};

settings_store& settings();  // the process-wide store

// Empties the five tables and inserts every key with its default. Leaves the
// scalar settings alone.
void ResetKeyTables();
// A channel_id of 4096 means "decided by the channel INI": map sub_channel_id
// to the channel number. Any other channel_id stays.
void FixUpChannelId();
int32_t GetChannelId();
std::string GetPlatformName();
std::string GetStatLogUrl();
// The platform table's "pcdn_root_url" followed by "/api/uninstallFeedback/save".
std::string GetFeedbackUrl();

// The keys of each table in their documented order (for listings such as
// configtool's; the tables themselves are sorted maps).
struct key_table_layout {
    const char* name;                   // "platform", "log", "micro", "battle", "launcher"
    key_table settings_store::*table;
    std::vector<std::pair<std::string, std::string>> keys;  // key, default
};
const std::vector<key_table_layout>& KeyTableLayouts();
