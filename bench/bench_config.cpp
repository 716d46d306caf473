// LoadConfiguration of a realistic platform.xml (all five sections, about 4 KB)
// against reading the same file alone, measured side by side in one run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/platform_xml.h"
#include "config/read_config_file.h"
#include "config/settings_store.h"
#include "config/tea.h"
#include "system/file_util.h"

namespace {

std::string program_section(const char* name, const char* exe) {
    std::string s = std::string("    <") + name + ">\n";
    s += std::string("      <name>") + exe + "</name>\n";
    s += "      <update_url>https://update.example.test/" + std::string(name) + "/win32/stable/manifest.json</update_url>\n";
    s += "      <exe_arguments>--channel=%CHANNEL% --locale=zh_CN --log-level=info</exe_arguments>\n";
    s += std::string("      <exe_file_name>") + exe + ".exe</exe_file_name>\n";
    s += "      <install_dir>bin\\" + std::string(name) + "</install_dir>\n";
    s += "      <core_dump_pattern>" + std::string(exe) + "_*.dmp</core_dump_pattern>\n";
    s += "      <check_level>2</check_level>\n";
    s += "      <target_version>3.18.2045.7</target_version>\n";
    s += "      <disable_update>0</disable_update>\n";
    s += "      <disable_checksum>0</disable_checksum>\n";
    s += std::string("    </") + name + ">\n";
    return s;
}

std::string realistic_xml() {
    std::string x = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    x += "<config Internet=\"wan\" platform=\"official\" channel_id=\"4096\">\n";
    x += "  <template>\n    <platform>\n";
    x += "      <register_key>HKEY_LOCAL_MACHINE\\Software\\ExampleGame\\Client</register_key>\n";
    x += "      <lnk_name>Example Game</lnk_name>\n      <default_ui_skin>default</default_ui_skin>\n";
    x += "      <locale>zh_CN</locale>\n      <core_dump_url>https://dump.example.test/upload</core_dump_url>\n";
    x += "      <pcdn_root_url>https://pcdn.example.test</pcdn_root_url>\n      <p2p_type>1</p2p_type>\n";
    x += "      <p2p_open>1</p2p_open>\n      <p2p_upload>0</p2p_upload>\n";
    x += "      <directx_download_url>https://cdn.example.test/redist/directx.exe</directx_download_url>\n";
    x += "      <self_url>https://cdn.example.test/launcher/self.zip</self_url>\n";
    x += "      <main_url>https://www.example.test/</main_url>\n";
    x += "      <assetbundles_url>https://cdn.example.test/assetbundles/</assetbundles_url>\n";
    x += "      <web_versin_path>https://www.example.test/version.json</web_versin_path>\n";
    x += "      <web_versin_para>platform=official&amp;os=win</web_versin_para>\n";
    x += "      <bootconfig_download>1</bootconfig_download>\n    </platform>\n";
    x += "    <log>\n      <stat_log_url>https://stat.example.test/api/device/report</stat_log_url>\n";
    x += "      <elk_log_url>https://elk.example.test/ingest</elk_log_url>\n";
    x += "      <hall_log_dir>logs\\hall</hall_log_dir>\n";
    x += "      <local_log_url>http://127.0.0.1:9000/log</local_log_url>\n    </log>\n";
    x += program_section("micro", "micro_client");
    x += program_section("battle", "battle_client");
    x += program_section("launcher", "game_launcher");
    x += "  </template>\n";
    x += "  <!-- Mirror installations: a second profile that does not apply here. -->\n";
    x += "  <mirror>\n" + program_section("launcher", "mirror_launcher") + "  </mirror>\n";
    x += "  <official>\n    <platform>\n      <lnk_name>Example Game Official</lnk_name>\n    </platform>\n  </official>\n";
    x += "  <ch_4096>\n    <platform>\n      <pcdn_root_url>https://pcdn-ch.example.test</pcdn_root_url>\n";
    x += "    </platform>\n    <log>\n      <stat_log_url>https://stat-ch.example.test/report</stat_log_url>\n";
    x += "    </log>\n  </ch_4096>\n</config>\n";
    return x;
}

template <typename F>
double best_of(int rounds, int iterations, F&& f) {
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < iterations; ++i) f();
        const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count() / iterations);
    }
    return best;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench-config-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    std::string xml = realistic_xml();
    const size_t text_size = xml.size();
    xml.resize((xml.size() + 7) / 8 * 8, '\0');
    EncryptConfigBuffer(reinterpret_cast<uint8_t*>(&xml[0]), xml.size());
    std::ofstream(dir / "platform.xml", std::ios::binary).write(xml.data(), std::streamsize(xml.size()));
    std::ofstream(dir / "platform_ex.ini") << "[channel]\nsub_channel_id=0x2000\nad_id=42\n";

    set_file_util(make_platform_file_util());
    const std::string dir_text = dir.string();
    const std::string file = dir_text + "\\platform.xml";
    if (!LoadConfiguration(dir_text) || GetChannelId() != 2) {
        std::fprintf(stderr, "bench_config: the benchmark configuration does not load\n");
        return 1;
    }

    const int rounds = 7, iterations = 500;
    std::vector<uint8_t> buffer;
    volatile size_t sink = 0;
    // Warm the file cache and the allocator for both before measuring.
    for (int i = 0; i < 50; ++i) {
        LoadConfiguration(dir_text);
        buffer.assign(size_t(file_size(file)) + kConfigSpareBytes, 0);
        sink = sink + read_bytes(file, buffer.data(), buffer.size());
    }
    const double read_us = best_of(rounds, iterations, [&] {
        if (!exists(file)) return;
        buffer.assign(size_t(file_size(file)) + kConfigSpareBytes, 0);
        sink = sink + read_bytes(file, buffer.data(), buffer.size());
    });
    const double load_us = best_of(rounds, iterations, [&] { sink = sink + LoadConfiguration(dir_text); });

    std::printf("platform.xml: %zu bytes of text, %zu bytes encrypted\n", text_size, xml.size());
    std::printf("read the file alone (floor): %8.2f us\n", read_us);
    std::printf("LoadConfiguration:           %8.2f us\n", load_us);
    std::printf("ratio LoadConfiguration / read: %.2f\n", load_us / read_us);

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
