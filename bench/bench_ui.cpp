// Benchmarks of the skin UI core on the host, against floors measured side by
// side in the same run:
//   1. loading the skin (open the archive, parse uninstall.xml, build and attach
//      the tree, decode every image it names) against inflating and decoding
//      those images alone (target: within 1.3x);
//   2. composing a full 980 x 420 frame against copying one frame of that size
//      (target: within 4x);
//   3. repainting after one label text and one progress value change against a
//      full frame (target: within 25%);
//   4. the layered tick with nothing pending (target: no paint at all).
//
//   bench_ui [skin.zip]     (default: the skin archive of this build tree)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ui/container.h"
#include "ui/dialog_builder.h"
#include "ui/headless_platform.h"
#include "ui/image.h"
#include "ui/markup.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"
#include "ui/zip_archive.h"

#ifndef UNINST_BENCH_SKIN
#define UNINST_BENCH_SKIN "skin/skin.zip"
#endif

namespace {

using clock_type = std::chrono::steady_clock;

// Seconds per call of f, the best of rounds of n calls each.
double best_time(const std::function<void()>& f, int n) {
    auto start = clock_type::now();
    for (int i = 0; i < n; ++i) f();
    return std::chrono::duration<double>(clock_type::now() - start).count() / n;
}

// Runs a and b alternately, round after round, and keeps the best of each.
std::pair<double, double> side_by_side(const std::function<void()>& a, const std::function<void()>& b, int n,
                                       int rounds = 9) {
    double best_a = 1e9, best_b = 1e9;
    for (int r = 0; r < rounds; ++r) {
        best_a = std::min(best_a, best_time(a, n));
        best_b = std::min(best_b, best_time(b, n));
    }
    return {best_a, best_b};
}

bool report(const char* what, double value, double floor, double target, const char* floor_name) {
    double ratio = value / floor;
    bool ok = ratio <= target;
    std::printf("%-58s %9.1f us  %-34s %9.1f us  ratio %5.2f  (target <= %.2f) %s\n", what, value * 1e6, floor_name,
                floor * 1e6, ratio, target, ok ? "ok" : "MISSED");
    return ok;
}

std::vector<std::wstring> image_names(const std::vector<uint8_t>& layout) {
    CMarkup xml;
    std::set<std::wstring> names;
    if (!xml.LoadFromMem(layout.data(), layout.size())) return {};
    std::vector<CMarkupNode> stack{xml.GetRoot()};
    while (!stack.empty()) {
        CMarkupNode n = stack.back();
        stack.pop_back();
        for (; n.IsValid(); n = n.GetSibling()) {
            for (int i = 0; i < n.GetAttributeCount(); ++i) {
                std::wstring v = n.GetAttributeValue(i);
                if (v.size() > 4 && v.compare(v.size() - 4, 4, L".png") == 0) names.insert(v);
            }
            if (n.HasChildren()) stack.push_back(n.GetChild());
        }
    }
    return std::vector<std::wstring>(names.begin(), names.end());
}

std::string narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : UNINST_BENCH_SKIN;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bench_ui: cannot read the skin archive %s (build the uninst_skin target)\n", path);
        return 2;
    }
    const std::vector<uint8_t> skin((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    zip_archive zip;
    std::vector<uint8_t> layout;
    if (!zip.open(skin.data(), skin.size()) || zip.read("uninstall.xml", layout, CMarkup::kMaxFileSize) != zip_archive::ok) {
        std::fprintf(stderr, "bench_ui: %s holds no uninstall.xml\n", path);
        return 2;
    }
    const std::vector<std::wstring> names = image_names(layout);
    std::printf("skin %s: %zu bytes, %zu images named by uninstall.xml\n", path, skin.size(), names.size());
    bool all_ok = true;

    // 1. Loading the skin against inflating and decoding its images alone.
    size_t decoded = 0;
    auto load = [&] {
        CPaintManagerUI::ResetResourceZip();
        CPaintManagerUI::SetResourceZip(skin.data(), static_cast<unsigned>(skin.size()));
        headless_platform platform;
        CPaintManagerUI pm;
        pm.SetPlatform(&platform);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(L"uninstall.xml", nullptr, nullptr, &pm);
        if (!root) std::abort();
        pm.AttachDialog(root);
        for (const auto& name : names) decoded += pm.GetImage(name.c_str()) != nullptr;
        CPaintManagerUI::RemoveAllSharedFonts();
    };
    auto inflate_decode = [&] {
        std::vector<uint8_t> bytes;
        for (const auto& name : names) {
            ui_image image;
            if (zip.read(narrow(name), bytes, 64u << 20) == zip_archive::ok && ui_decode_image(bytes.data(), bytes.size(), image))
                ++decoded;
        }
    };
    auto [t_load, t_floor] = side_by_side(load, inflate_decode, 5);
    all_ok &= report("load skin (archive, layout, tree, every image)", t_load, t_floor, 1.3, "inflate + decode images");

    // A window of the wizard for the painting measurements.
    CPaintManagerUI::ResetResourceZip();
    CPaintManagerUI::SetResourceZip(skin.data(), static_cast<unsigned>(skin.size()));
    headless_platform platform;
    CPaintManagerUI pm;
    pm.SetPlatform(&platform);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"uninstall.xml", nullptr, nullptr, &pm);
    if (!root) return 2;
    pm.AttachDialog(root);
    pm.OnLayeredTimer();
    const ui_size client = platform.client_size();
    const ui_rect whole{0, 0, client.cx, client.cy};
    std::vector<uint32_t> frame_a(static_cast<size_t>(client.cx) * client.cy, 0x80402010u), frame_b(frame_a.size());

    // 2. A full frame of the reasons page against copying one frame.
    auto full_frame = [&] { pm.Paint(whole); };
    auto copy_frame = [&] {
        std::memcpy(frame_b.data(), frame_a.data(), frame_a.size() * sizeof(uint32_t));
        frame_a[frame_a.size() / 2] += 1;   // keep the copy from being optimised away
    };
    auto [t_full, t_copy] = side_by_side(full_frame, copy_frame, 50);
    all_ok &= report("compose a full 980x420 frame (reasons page)", t_full, t_copy, 4.0, "copy one 980x420 frame");

    // 3. The progress page: one label text and one progress value change.
    CControlUI* reasons = pm.FindControl(L"background_one");
    CControlUI* progress_page = pm.FindControl(L"background_two");
    auto* bar = static_cast<CProgressUI*>(pm.FindControl(L"prgUninst"));
    CControlUI* label = pm.FindControl(L"file_lab");
    if (!reasons || !progress_page || !bar || !label) return 2;
    reasons->SetVisible(false);
    progress_page->SetVisible(true);
    pm.OnLayeredTimer();
    int step = 0;
    wchar_t text[128];
    auto change = [&] {
        ++step;
        std::swprintf(text, 128, L"D:\\Games\\Anvil\\data\\pack%05d\\textures_%d.pak", step, step * 7);
        label->SetText(text);
        bar->SetValue(step % 101);
        pm.OnLayeredTimer();
    };
    auto full_progress = [&] { pm.Paint(whole); };
    auto [t_change, t_full2] = side_by_side(change, full_progress, 50);
    ui_rect changed = ui_union(label->GetPos(), bar->GetPos());
    std::printf("changed area %dx%d = %.1f%% of the window\n", changed.width(), changed.height(),
                100.0 * changed.width() * changed.height() / (double(client.cx) * client.cy));
    all_ok &= report("repaint after a label text and a progress value", t_change, t_full2, 0.25,
                     "full frame (progress page)");

    // 4. Nothing pending: the layered tick must not paint.
    const size_t before = pm.GetPaintCount();
    double t_idle = best_time([&] { pm.OnLayeredTimer(); }, 100000);
    const size_t painted = pm.GetPaintCount() - before;
    std::printf("%-58s %9.3f us  paint passes: %zu %s\n", "layered tick with nothing pending", t_idle * 1e6, painted,
                painted == 0 ? "ok" : "MISSED");
    all_ok &= painted == 0;

    std::printf("%s (%zu images decoded in all)\n", all_ok ? "all targets met" : "some targets missed", decoded);
    return all_ok ? 0 : 1;
}
