#include "tests/ui/ui_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace uitest {

scratch_dir::scratch_dir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "uicore-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

scratch_dir::~scratch_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void scratch_dir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

void scratch_dir::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    write(name, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int run(const std::string& command) { return std::system(command.c_str()); }

std::vector<uint8_t> make_zip(const scratch_dir& dir, const std::vector<std::string>& files, bool store) {
    static int counter = 0;
    std::string archive = "archive" + std::to_string(++counter) + ".zip";
    std::string cmd = "cd '" + dir.path() + "' && zip -q -X " + (store ? "-0 " : "-9 ") + archive;
    for (const auto& f : files) cmd += " '" + f + "'";
    if (run(cmd) != 0) throw std::runtime_error("zip failed: " + cmd);
    return read_file(dir.file(archive));
}

std::vector<uint8_t> make_png(const scratch_dir& dir, int width, int height, const std::vector<uint8_t>& rgba,
                              bool with_alpha) {
    static int counter = 0;
    std::string base = "img" + std::to_string(++counter);
    dir.write(base + ".rgba", rgba);
    std::string cmd = "convert -size " + std::to_string(width) + "x" + std::to_string(height) + " -depth 8 rgba:'" +
                      dir.file(base + ".rgba") + "' " + (with_alpha ? "-define png:color-type=6 " : "-alpha off -define png:color-type=2 ") +
                      "'" + dir.file(base + ".png") + "'";
    if (run(cmd) != 0) throw std::runtime_error("convert failed: " + cmd);
    return read_file(dir.file(base + ".png"));
}

std::vector<uint8_t> make_solid_png(const scratch_dir& dir, int width, int height, uint8_t r, uint8_t g, uint8_t b,
                                    uint8_t a, bool with_alpha) {
    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(width) * height * 4);
    for (int i = 0; i < width * height; ++i) {
        rgba.push_back(r);
        rgba.push_back(g);
        rgba.push_back(b);
        rgba.push_back(a);
    }
    return make_png(dir, width, height, rgba, with_alpha);
}

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string narrow(const std::wstring& ascii) {
    std::string s;
    for (wchar_t c : ascii) s.push_back(static_cast<char>(c));
    return s;
}

void recorder::Notify(TNotifyUI& msg) {
    if (hook) hook(msg);
    records.push_back(msg);
    log.push_back(narrow(msg.sType.str()) + ":" + (msg.pSender ? narrow(msg.pSender->GetName().str()) : std::string()));
}

void use_archive(const std::vector<uint8_t>& bytes) {
    // The archive reads from the buffer for as long as it is open.
    static std::vector<std::unique_ptr<std::vector<uint8_t>>> kept;
    kept.push_back(std::make_unique<std::vector<uint8_t>>(bytes));
    CPaintManagerUI::ResetResourceZip();
    CPaintManagerUI::SetResourceZip(kept.back()->data(), static_cast<unsigned>(kept.back()->size()));
}

}  // namespace uitest
