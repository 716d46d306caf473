// The channel INI of a "wan" installation: platform_exm.ini (encrypted) or
// platform_ex.ini (plain), read into sub_channel_id and ad_id.
#pragma once

#include <cstdint>
#include <string>

// `dir` is the executable's directory, narrow, without trailing backslash.
// True when a channel file was loaded; otherwise the settings keep their values.
bool ReadChannelIni(const std::string& dir);

// Conversions of the channel values. Text absent (null) gives 0.
// Sub-channel: base by prefix ("0x"/"0X" hexadecimal, leading "0" octal,
// otherwise decimal), clamped to the 32-bit limits.
int32_t ParseSubChannelId(const char* text);
// Ad id: decimal only, clamped to the 64-bit limits.
int64_t ParseAdId(const char* text);
