// Helpers for the skin UI tests: a scratch folder, archives made by the real
// zip tool, PNGs made by ImageMagick from raw pixels, a notification recorder.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/control.h"
#include "ui/notify.h"
#include "ui/paint_manager.h"

namespace uitest {

// A fresh folder under the system's temporary folder, removed at destruction.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

std::vector<uint8_t> read_file(const std::string& path);
// Runs a shell command; returns its exit status.
int run(const std::string& command);

// Makes an archive in dir from the named files there with the real zip tool.
// store: entries stored (-0), else deflated (-9).
std::vector<uint8_t> make_zip(const scratch_dir& dir, const std::vector<std::string>& files, bool store = false);

// A PNG of width x height from straight (not premultiplied) RGBA bytes, written
// by ImageMagick; with_alpha false writes an RGB PNG (alpha bytes ignored).
std::vector<uint8_t> make_png(const scratch_dir& dir, int width, int height, const std::vector<uint8_t>& rgba,
                              bool with_alpha = true);
// A solid PNG of one colour.
std::vector<uint8_t> make_solid_png(const scratch_dir& dir, int width, int height, uint8_t r, uint8_t g, uint8_t b,
                                    uint8_t a, bool with_alpha = true);

std::wstring widen(const std::string& ascii);
std::string narrow(const std::wstring& ascii);

// Records every notification as "type:sender name".
class recorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override;
    std::vector<std::string> log;
    std::vector<TNotifyUI> records;
    // Called for each notification before it is logged (may be empty).
    std::function<void(TNotifyUI&)> hook;
};

// Loads the in-memory archive as the process's skin archive (closing any
// earlier one) and keeps the bytes alive.
void use_archive(const std::vector<uint8_t>& bytes);

}  // namespace uitest
