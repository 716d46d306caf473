// A skin of the wizard's shape (three stacked 980 x 420 pages with floating
// controls) packed by the real zip tool from PNGs made by ImageMagick, and a
// window for it on the headless platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/ui_test_support.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/dialog_builder.h"
#include "ui/headless_platform.h"
#include "ui/label.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"

namespace uitest {

// Pixel values the skin's images produce (premultiplied BGRA).
constexpr uint32_t kPage1 = 0xFF0A141E;       // page one, opaque from x = 20 on
constexpr uint32_t kPage2 = 0xFF323C46;       // page two, no alpha, black 10 x 10 at its top left
constexpr uint32_t kPage3 = 0xFF5A5A5A;       // page three, no alpha
constexpr uint32_t kButton = 0x80643219;      // (200, 100, 50) at alpha 128
constexpr uint32_t kButtonHot = 0xFF00FF00;
constexpr uint32_t kCheck = 0xFFFFFFFF;
constexpr uint32_t kBar = 0xFFFF0000;

extern const char* const kSkinLayout;

// Source-over of premultiplied pixels, exact to within one per channel.
uint32_t reference_blend(uint32_t dst, uint32_t src);
::testing::AssertionResult near_pixel(uint32_t actual, uint32_t expected);

class SkinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Builds and attaches the layout (default: the skin's) and runs the first paint pass.
    void open(const char* layout = nullptr);
    uint32_t pixel(int x, int y) const;
    CControlUI* find(const wchar_t* name) const { return pm->FindControl(name); }
    template <class T>
    T* find_as(const wchar_t* name) const { return static_cast<T*>(find(name)); }
    // Hides page one and shows the named page.
    void show_page(const wchar_t* name);
    // A layered tick far enough from the last one to paint what is pending.
    void tick() {
        platform->ticks += CPaintManagerUI::kLayeredFrameGapMs;
        pm->OnLayeredTimer();
    }

    static scratch_dir* dir_;
    static std::vector<uint8_t>* archive_;
    std::unique_ptr<headless_platform> platform;
    std::unique_ptr<CPaintManagerUI> pm;
    recorder notes;
};

}  // namespace uitest
