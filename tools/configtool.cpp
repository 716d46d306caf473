// configtool: encrypts, decrypts and checks the uninstaller's configuration files.
//
//   configtool encrypt IN OUT   encrypt a plain file (platform.xml, platform_exm.ini)
//   configtool decrypt IN OUT   decrypt an encrypted file back to its text
//   configtool show DIR         print the settings the uninstaller loads from DIR
//
// Exit status: 0 success, 1 a file problem (or a configuration that does not
// load cleanly, for show), 2 wrong usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "config/platform_xml.h"
#include "config/read_config_file.h"
#include "config/settings_store.h"
#include "config/tea.h"
#include "system/file_util.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void print_usage(std::FILE* out) {
    std::fputs(
        "usage: configtool encrypt IN OUT   encrypt the plain file IN into OUT\n"
        "       configtool decrypt IN OUT   decrypt the encrypted file IN into OUT\n"
        "       configtool show DIR         print the settings the uninstaller loads from DIR\n"
        "\n"
        "Encrypted files are platform.xml (always) and platform_exm.ini; platform_ex.ini\n"
        "is read plain. Exit status: 0 success, 1 file or configuration problem, 2 usage.\n",
        out);
}

struct file_closer {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};

bool read_file(const std::string& path, std::vector<uint8_t>& data, std::string& error) {
    std::unique_ptr<std::FILE, file_closer> f(std::fopen(native_path(path).c_str(), "rb"));
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    data.clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) data.insert(data.end(), chunk, chunk + n);
    if (std::ferror(f.get())) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool write_file(const std::string& path, const uint8_t* data, size_t size, std::string& error) {
    std::unique_ptr<std::FILE, file_closer> f(std::fopen(native_path(path).c_str(), "wb"));
    if (!f) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    if ((size && std::fwrite(data, 1, size, f.get()) != size) || std::fclose(f.release()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "configtool: %s\n", message.c_str());
    return kExitFailure;
}

int encrypt(const std::string& in, const std::string& out) {
    std::vector<uint8_t> data;
    std::string error;
    if (!read_file(in, data, error)) return fail(error);
    const void* zero = std::memchr(data.data(), 0, data.size());
    if (zero) {
        std::fprintf(stderr, "configtool: warning: %s holds a zero byte at offset %zu; the uninstaller reads the text only up to it\n",
                     in.c_str(), size_t(static_cast<const uint8_t*>(zero) - data.data()));
    }
    // Whole blocks of zero-padded text decrypt exactly, and the padding ends the text.
    data.resize((data.size() + 7) / 8 * 8, 0);
    EncryptConfigBuffer(data.data(), data.size());
    if (!write_file(out, data.data(), data.size(), error)) return fail(error);
    return kExitOk;
}

int decrypt(const std::string& in, const std::string& out) {
    std::vector<uint8_t> data;
    std::string error;
    if (!read_file(in, data, error)) return fail(error);
    const size_t size = data.size();
    data.resize(size + kConfigSpareBytes, 0);
    DecryptConfigBuffer(data.data(), size);
    // What the uninstaller reads: the text up to its first zero byte.
    const void* zero = std::memchr(data.data(), 0, size);
    const size_t text_size = zero ? size_t(static_cast<const uint8_t*>(zero) - data.data()) : size;
    if (!write_file(out, data.data(), text_size, error)) return fail(error);
    return kExitOk;
}

int show(const std::string& dir) {
    load_report report;
    bool loaded = false;
    try {
        loaded = LoadConfiguration(dir, &report);
    } catch (const std::exception& e) {
        return fail(std::string("cannot read the configuration in ") + dir + ": " + e.what());
    }
    int status = kExitOk;
    if (!report.xml_found) {
        return fail("no platform.xml in " + dir);
    }
    if (!loaded || !report.xml_read) {
        return fail("cannot read " + dir + "\\platform.xml");
    }
    if (report.xml_too_deep) {
        std::fprintf(stderr, "configtool: warning: platform.xml nests elements deeper than the uninstaller accepts; nothing of it applies\n");
        status = kExitFailure;
    } else if (!report.xml_error.empty()) {
        std::fprintf(stderr, "configtool: warning: platform.xml does not decrypt to well-formed XML: %s\n",
                     report.xml_error.c_str());
        status = kExitFailure;
    }
    if (report.channel_ini_tried && !report.channel_ini_loaded) {
        std::fprintf(stderr, "configtool: warning: Internet is \"wan\" but neither platform_exm.ini nor platform_ex.ini loads\n");
        status = kExitFailure;
    }

    const settings_store& s = settings();
    std::printf("register_key=%s\n", s.register_key.c_str());
    std::printf("internet=%s\n", s.internet.c_str());
    std::printf("platform_name=%s\n", s.platform_name.c_str());
    std::printf("channel_id=%ld\n", long(s.channel_id));
    std::printf("sub_channel_id=%ld\n", long(s.sub_channel_id));
    std::printf("ad_id=%lld\n", static_cast<long long>(s.ad_id));
    for (const key_table_layout& layout : KeyTableLayouts()) {
        const key_table& table = s.*layout.table;
        for (const auto& entry : layout.keys) {
            auto it = table.find(entry.first);
            std::printf("%s.%s=%s\n", layout.name, entry.first.c_str(), it == table.end() ? "" : it->second.c_str());
        }
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "-h" || command == "--help" || command == "help") {
        print_usage(stdout);
        return kExitOk;
    }
    if ((command == "encrypt" || command == "decrypt") && argc == 4) {
        return command == "encrypt" ? encrypt(argv[2], argv[3]) : decrypt(argv[2], argv[3]);
    }
    if (command == "show" && argc == 3) {
        file_util* fs = make_platform_file_util();
        set_file_util(fs);
        return show(argv[2]);
    }
    if (command.empty()) {
        std::fputs("configtool: no command given\n", stderr);
    } else if (command == "encrypt" || command == "decrypt" || command == "show") {
        std::fprintf(stderr, "configtool: wrong number of arguments for %s\n", command.c_str());
    } else {
        std::fprintf(stderr, "configtool: unknown command '%s'\n", command.c_str());
    }
    print_usage(stderr);
    return kExitUsage;
}
