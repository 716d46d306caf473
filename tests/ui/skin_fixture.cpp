#include "tests/ui/skin_fixture.h"

#include <cmath>
#include <cstdlib>

namespace uitest {

const char* const kSkinLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- the wizard's shape -->
<Window size="980,420" caption="0,0,0,-1" layeredimage="" bktrans="true">
  <Font id="0" name="宋体" size="20" bold="false" shared="true" />
  <VerticalLayout name="pages">
    <HorizontalLayout name="background_one" bkimage="bk1.png" width="980" height="420" visible="true">
      <Button name="btnCancel" float="true" pos="914,44" width="16" height="16" />
      <Button name="btnUninst" float="true" pos="472,310" width="230" height="50" bkimage="btn.png" hotimage="btn_hot.png" />
      <Button name="btnCancel" float="true" pos="702,302" width="235" height="66" bkimage="btn.png" />
      <CheckBox name="ckb1" float="true" pos="84,218" width="15" height="15" selectedimage="check.png" selected="false" />
      <CheckBox name="ckb2" float="true" pos="509,218" width="15" height="15" selectedimage="check.png" selected="false" />
    </HorizontalLayout>
    <HorizontalLayout name="background_two" bkimage="bk2.png" width="980" height="420" visible="false">
      <Progress name="prgUninst" float="true" pos="82,229" width="828" height="13" padding="0,0,0,0" align="center" value="0" foreimage="bar.png" />
      <Label name="file_lab" float="true" pos="80,245" width="828" height="50" padding="0,0,0,0" align="left" font="0" text="" textcolor="0xffebeaea" />
    </HorizontalLayout>
    <HorizontalLayout name="background_thr" bkimage="bk3.png" width="980" height="420" visible="false">
      <Button name="btnUninstFinish" float="true" pos="647,255" width="230" height="50" />
    </HorizontalLayout>
  </VerticalLayout>
</Window>
)";

scratch_dir* SkinTest::dir_;
std::vector<uint8_t>* SkinTest::archive_;

namespace {
std::vector<uint8_t> pattern(int w, int h, uint8_t (*f)(int x, int y, int channel)) {
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) rgba[(static_cast<size_t>(y) * w + x) * 4 + c] = f(x, y, c);
    return rgba;
}
}  // namespace

void SkinTest::SetUpTestSuite() {
    dir_ = new scratch_dir;
    scratch_dir& d = *dir_;
    d.write("uninstall.xml", std::string(kSkinLayout));
    d.write("bk1.png", make_png(d, 980, 420, pattern(980, 420, [](int x, int, int c) -> uint8_t {
        if (x < 20) return 0;
        const uint8_t v[4] = {10, 20, 30, 255};
        return v[c];
    })));
    d.write("bk2.png", make_png(d, 980, 420, pattern(980, 420, [](int x, int y, int c) -> uint8_t {
        if (x < 10 && y < 10) return c == 3 ? 255 : 0;
        const uint8_t v[4] = {50, 60, 70, 255};
        return v[c];
    }), false));
    d.write("bk3.png", make_solid_png(d, 980, 420, 90, 90, 90, 255, false));
    d.write("btn.png", make_solid_png(d, 230, 50, 200, 100, 50, 128));
    d.write("btn_hot.png", make_solid_png(d, 230, 50, 0, 255, 0, 255));
    d.write("check.png", make_solid_png(d, 15, 15, 255, 255, 255, 255));
    d.write("bar.png", make_solid_png(d, 191, 9, 255, 0, 0, 255, false));
    archive_ = new std::vector<uint8_t>(make_zip(
        d, {"uninstall.xml", "bk1.png", "bk2.png", "bk3.png", "btn.png", "btn_hot.png", "check.png", "bar.png"}));
}

void SkinTest::TearDownTestSuite() {
    delete dir_;
    delete archive_;
}

void SkinTest::SetUp() {
    CPaintManagerUI::RemoveAllSharedFonts();
    use_archive(*archive_);
    platform = std::make_unique<headless_platform>(800, 600);
    pm = std::make_unique<CPaintManagerUI>();
    pm->SetPlatform(platform.get());
}

void SkinTest::TearDown() {
    pm.reset();
    CPaintManagerUI::ResetResourceZip();
    CPaintManagerUI::RemoveAllSharedFonts();
}

void SkinTest::open(const char* layout) {
    CDialogBuilder builder;
    std::wstring text = layout ? widen(layout) : L"uninstall.xml";
    CControlUI* root = builder.Create(text.c_str(), nullptr, nullptr, pm.get());
    ASSERT_NE(root, nullptr) << narrow(builder.GetLastErrorMessage());
    pm->AttachDialog(root);
    pm->AddNotifier(&notes);
    pm->Paint(ui_rect{0, 0, 0, 0});
}

uint32_t SkinTest::pixel(int x, int y) const {
    ui_surface s = pm->GetSurface();
    EXPECT_TRUE(x >= 0 && y >= 0 && x < s.width && y < s.height);
    return s.row(y)[x];
}

void SkinTest::show_page(const wchar_t* name) {
    find(L"background_one")->SetVisible(false);
    find(name)->SetVisible(true);
}

uint32_t reference_blend(uint32_t dst, uint32_t src) {
    double sa = (src >> 24) / 255.0;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(s + d * (1.0 - sa))) << shift;
    }
    return out;
}

::testing::AssertionResult near_pixel(uint32_t actual, uint32_t expected) {
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > 1)
            return ::testing::AssertionFailure() << std::hex << "pixel 0x" << actual << " expected 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace uitest
