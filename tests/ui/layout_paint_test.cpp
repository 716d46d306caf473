// Layout of the stacked pages, the floating rule, composition of the layered
// picture, partial repaints and the image cache.
#include <gtest/gtest.h>

#include "tests/ui/skin_fixture.h"
#include "ui/render.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

using namespace uitest;

using LayoutPaint = SkinTest;

TEST_F(LayoutPaint, ThreePagesStackWithTheVisibleOneAtTheTop) {
    open();
    EXPECT_EQ(platform->client_size(), (ui_size{980, 420}));
    EXPECT_EQ(find(L"background_one")->GetPos(), (ui_rect{0, 0, 980, 420}));
    EXPECT_EQ(pm->GetRoot()->GetPos(), (ui_rect{0, 0, 980, 420}));
    // Floating children sit at their fixed position relative to the page.
    EXPECT_EQ(find(L"btnUninst")->GetPos(), (ui_rect{472, 310, 702, 360}));
    EXPECT_EQ(find(L"ckb1")->GetPos(), (ui_rect{84, 218, 99, 233}));

    show_page(L"background_two");
    tick();
    EXPECT_EQ(find(L"background_two")->GetPos(), (ui_rect{0, 0, 980, 420}));
    EXPECT_EQ(find(L"prgUninst")->GetPos(), (ui_rect{82, 229, 910, 242}));
    EXPECT_EQ(find(L"file_lab")->GetPos(), (ui_rect{80, 245, 908, 295}));
    EXPECT_EQ(pixel(500, 100), kPage2);

    find(L"background_two")->SetVisible(false);
    find(L"background_thr")->SetVisible(true);
    tick();
    EXPECT_EQ(find(L"background_thr")->GetPos(), (ui_rect{0, 0, 980, 420}));
    EXPECT_EQ(find(L"btnUninstFinish")->GetPos(), (ui_rect{647, 255, 877, 305}));
    EXPECT_EQ(pixel(500, 100), kPage3);
}

TEST_F(LayoutPaint, StretchableChildrenShareTheRestAndTheLastTakesTheRemainder) {
    platform->resize_window(100, 100);
    open("<Window><VerticalLayout childpadding=\"1\">"
         "<Label name=\"a\" height=\"20\" padding=\"0,2,0,3\"/>"
         "<Control name=\"s1\"/><Control name=\"s2\"/><Control name=\"s3\"/>"
         "<Label name=\"w\" width=\"30\" height=\"10\"/>"
         "<Label name=\"f\" float=\"true\" pos=\"50,60\" width=\"-1\" height=\"5\" padding=\"9,9,9,9\"/>"
         "</VerticalLayout></Window>");
    // 100 high: 20+2+3 fixed, 10 fixed, 4 paddings of 1 between 5 children -> 61 left for 3.
    EXPECT_EQ(find(L"a")->GetPos(), (ui_rect{0, 2, 100, 22}));
    EXPECT_EQ(find(L"s1")->GetPos(), (ui_rect{0, 26, 100, 46}));
    EXPECT_EQ(find(L"s2")->GetPos(), (ui_rect{0, 47, 100, 67}));
    EXPECT_EQ(find(L"s3")->GetPos(), (ui_rect{0, 68, 100, 89}));   // 61 - 2 * 20 = 21
    EXPECT_EQ(find(L"w")->GetPos(), (ui_rect{0, 90, 30, 100}));
    // Padding has no effect on a floating child; a negative width was ignored.
    EXPECT_EQ(find(L"f")->GetPos(), (ui_rect{50, 60, 50, 65}));
}

TEST_F(LayoutPaint, FloatingRuleRaisesReversedEdges) {
    platform->resize_window(200, 200);
    open("<Window layeredimage=\"\"><HorizontalLayout name=\"h\" inset=\"5,5,5,5\">"
         "<Control name=\"c\" float=\"true\" pos=\"10,20,4,8\"/></HorizontalLayout></Window>");
    // pos with right/bottom before left/top sets no size; relative to the page, inset ignored.
    EXPECT_EQ(find(L"c")->GetPos(), (ui_rect{10, 20, 10, 20}));
    find(L"c")->SetFixedWidth(7);
    find(L"c")->SetFixedHeight(3);
    tick();
    EXPECT_EQ(find(L"c")->GetPos(), (ui_rect{10, 20, 17, 23}));
}

TEST_F(LayoutPaint, EmptyLayeredImageLeavesUndrawnPixelsTransparent) {
    open();
    EXPECT_TRUE(platform->last_present_layered);
    EXPECT_EQ(platform->last_opacity, 255);
    EXPECT_EQ(pixel(5, 5), 0u);        // bk1 is transparent there and nothing else draws
    EXPECT_EQ(pixel(19, 400), 0u);
    EXPECT_EQ(pixel(20, 400), kPage1);
    // The semi-transparent button image blends over the page.
    EXPECT_TRUE(near_pixel(pixel(480, 320), reference_blend(kPage1, kButton)));
    // A button without images is an invisible area over the page.
    EXPECT_EQ(pixel(920, 50), kPage1);
    // An unchecked check box shows nothing of its own.
    EXPECT_EQ(pixel(90, 225), kPage1);
}

TEST_F(LayoutPaint, ImagesWithoutAlphaStayOpaqueBlackIncluded) {
    // A black pixel of an opaque image must not become a see-through,
    // click-through hole in the layered window.
    open();
    show_page(L"background_two");
    tick();
    EXPECT_EQ(pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(pixel(9, 9), 0xFF000000u);
    EXPECT_EQ(pixel(10, 9), kPage2);
    EXPECT_EQ(pixel(9, 10), kPage2);
}

TEST_F(LayoutPaint, LabelTextIsDrawnOpaqueClippedAndWithoutPrefixes) {
    open();
    show_page(L"background_two");
    tick();
    platform->texts.clear();
    auto* label = find_as<CLabelUI>(L"file_lab");
    // Long enough to run past the 828-pixel label: 20-pixel font, 10 per ASCII character.
    std::wstring path = L"C:\\Games\\A&B\\" + std::wstring(200, L'x');
    label->SetText(path.c_str());
    tick();
    ASSERT_EQ(platform->texts.size(), 1u);
    const auto& call = platform->texts[0];
    EXPECT_EQ(call.text, path);
    EXPECT_EQ(call.argb, 0xFFEBEAEAu);
    EXPECT_EQ(call.font.face, L"\u5B8B\u4F53");
    EXPECT_EQ(call.font.size, 20);
    EXPECT_EQ(call.style, kTextSingleLine | kTextVCenter | kTextNoPrefix);   // left aligned
    EXPECT_EQ(call.rect, (ui_rect{80, 245, 908, 295}));
    // The text was written with alpha 0, as GDI does; the fix-up made it opaque.
    const int y = 245 + (50 - 20) / 2;
    EXPECT_EQ(pixel(80, y), 0xFFEBEAEAu);
    // "A&B": the ampersand is a character of its own (no prefix processing).
    const int amp = 80 + 10 * 10;   // the eleventh character
    EXPECT_EQ(pixel(amp, y), 0xFFEBEAEAu);
    EXPECT_EQ(pixel(amp + 9, y), kPage2);   // the gap after it
    // Cut at the right edge, no ellipsis: nothing beyond the label.
    EXPECT_EQ(pixel(907, y), 0xFFEBEAEAu);
    EXPECT_EQ(pixel(908, y), kPage2);
    EXPECT_EQ(pixel(950, y), kPage2);
}

TEST_F(LayoutPaint, BlackTextSurvivesTheAlphaFixUp) {
    platform->resize_window(200, 40);
    open("<Window layeredimage=\"\"><VerticalLayout>"
         "<Label name=\"black\" height=\"20\" textcolor=\"#FF000000\" text=\"a\"/>"
         "<Label name=\"deflt\" height=\"20\" text=\"a\"/></VerticalLayout></Window>");
    // Nothing else draws there: without the nudge the text would be 0, fully transparent.
    ASSERT_EQ(platform->texts.size(), 2u);
    EXPECT_EQ(platform->texts[0].argb, 0xFF000001u);
    EXPECT_EQ(platform->texts[1].argb, 0xFF000001u);   // the default colour is black too
    EXPECT_EQ(pixel(0, 10), 0xFF000001u);
    EXPECT_EQ(pixel(0, 30), 0xFF000001u);
    EXPECT_EQ(pixel(100, 10), 0u);
}

TEST_F(LayoutPaint, AlignmentWordsLastOneWins) {
    struct Case {
        const wchar_t* value;
        unsigned bits;
    } cases[] = {
        {L"left", 0},        {L"center", kTextCenter}, {L"right", kTextRight},
        {L"left right", kTextRight}, {L"right left", kTextRight},   // searched in the order left, center, right
        {L"center left", kTextCenter}, {L"middle", 0},
    };
    for (const auto& c : cases) {
        unsigned style = ui_apply_align(kTextVCenter | kTextSingleLine | kTextRight, c.value);
        if (std::wstring(c.value) == L"middle") {
            EXPECT_EQ(style, kTextVCenter | kTextSingleLine | kTextRight);
        } else {
            EXPECT_EQ(style, kTextVCenter | kTextSingleLine | c.bits) << std::wstring(c.value).size();
        }
    }
}

TEST_F(LayoutPaint, AChangeRepaintsOnlyItsArea) {
    open();
    show_page(L"background_two");
    tick();
    const size_t passes = pm->GetPaintCount();
    platform->presented.clear();
    find(L"file_lab")->SetText(L"C:\\Games\\file.pak");
    find_as<CProgressUI>(L"prgUninst")->SetValue(50);
    EXPECT_EQ(pm->GetPendingRect(), (ui_rect{80, 229, 910, 295}));
    tick();
    ASSERT_EQ(platform->presented.size(), 1u);
    EXPECT_EQ(platform->presented[0], (ui_rect{80, 229, 910, 295}));
    EXPECT_EQ(pm->GetPaintCount(), passes + 1);
    // The same text again changes nothing and paints nothing.
    find(L"file_lab")->SetText(L"C:\\Games\\file.pak");
    tick();
    EXPECT_EQ(pm->GetPaintCount(), passes + 1);
}

TEST_F(LayoutPaint, NothingPendingMeansNoPainting) {
    open();
    const size_t passes = pm->GetPaintCount();
    const size_t loads = pm->GetImageLoadCount();
    for (int i = 0; i < 100; ++i) tick();
    EXPECT_EQ(pm->GetPaintCount(), passes);
    EXPECT_FALSE(pm->IsPaintPending());
    // A minimized window does not paint either, and keeps the area for later.
    find(L"btnUninst")->Invalidate();
    pm->OnLayeredTimer(true);
    EXPECT_EQ(pm->GetPaintCount(), passes);
    EXPECT_TRUE(pm->IsPaintPending());
    tick();
    EXPECT_EQ(pm->GetPaintCount(), passes + 1);
    EXPECT_EQ(pm->GetImageLoadCount(), loads);   // images come from the cache
}

TEST_F(LayoutPaint, AStreamOfChangesIsPaintedOnTheLastTickWithinTheFrameGap) {
    open();
    show_page(L"background_two");
    tick();
    auto* bar = find_as<CProgressUI>(L"prgUninst");
    const uint32_t gap = CPaintManagerUI::kLayeredFrameGapMs;
    // A change per tick for a while, as during a removal. Whatever the tick
    // (10 ms here, 15-16 ms with the system's default timer resolution, or
    // ticks slower than the gap), passes are never further apart than the gap
    // or one tick, and no pass is left for a later tick that still comes
    // within the gap.
    struct row {
        uint32_t tick;
        uint32_t expected;  // the distance between passes
    } rows[] = {{10, 40}, {15, 30}, {16, 32}, {20, 40}, {25, 25}, {50, 50}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.tick);
        std::vector<uint32_t> painted_at;
        for (int i = 1; i <= 60; ++i) {
            bar->SetValue(i);
            platform->ticks += r.tick;
            const size_t before = pm->GetPaintCount();
            pm->OnLayeredTimer();
            if (pm->GetPaintCount() != before) painted_at.push_back(platform->ticks);
        }
        ASSERT_GE(painted_at.size(), 3u);
        // From the second pass on the rhythm is set (the first follows the
        // previous row's ticks).
        for (size_t i = 2; i < painted_at.size(); ++i) {
            EXPECT_EQ(painted_at[i] - painted_at[i - 1], r.expected);
            EXPECT_LE(painted_at[i] - painted_at[i - 1], std::max(gap, r.tick));
        }
    }
    // What was skipped was kept: the next due pass shows the latest value.
    tick();
    EXPECT_FALSE(pm->IsPaintPending());
    EXPECT_EQ(bar->FillRect().width(), 828 * 60 / 100);
    EXPECT_EQ(pixel(82 + 828 * 60 / 100 - 1, 235), kBar);

    // After a quiet spell a single change is painted on the very next tick.
    platform->ticks += 1000;
    bar->SetValue(10);
    const size_t before = pm->GetPaintCount();
    platform->ticks += 10;
    pm->OnLayeredTimer();
    EXPECT_EQ(pm->GetPaintCount(), before + 1);
    // And one right after it waits for the spacing.
    bar->SetValue(11);
    platform->ticks += 10;
    pm->OnLayeredTimer();
    EXPECT_EQ(pm->GetPaintCount(), before + 1);
    EXPECT_TRUE(pm->IsPaintPending());
}

TEST_F(LayoutPaint, ProgressFillsInProportionToItsValue) {
    open();
    show_page(L"background_two");
    auto* bar = find_as<CProgressUI>(L"prgUninst");
    struct Case {
        int value;
        int fill;   // 828 * value / 100
    } cases[] = {{0, 0}, {1, 8}, {50, 414}, {99, 819}, {100, 828}};
    for (const auto& c : cases) {
        bar->SetValue(c.value);
        tick();
        EXPECT_EQ(bar->FillRect().width(), c.fill) << c.value;
        if (c.fill > 0) {
            EXPECT_EQ(pixel(82 + c.fill - 1, 235), kBar) << c.value;
        }
        if (c.fill < 828) {
            EXPECT_EQ(pixel(82 + c.fill, 235), kPage2) << c.value;
        }
    }
}

TEST_F(LayoutPaint, ProgressClampsValuesAndCorrectsItsRange) {
    CProgressUI bar;
    bar.SetPos(ui_rect{0, 0, 100, 10});
    struct Case {
        int min, max, value, stored;
    } cases[] = {
        {0, 100, 150, 100}, {0, 100, -5, 0}, {10, 20, 15, 15}, {10, 20, 5, 10},
        // Against the maximum first, then the minimum: an inverted range stores the minimum.
        {50, 40, 45, 50},
    };
    for (const auto& c : cases) {
        bar.SetMinValue(c.min);
        bar.SetMaxValue(c.max);
        bar.SetValue(c.value);
        EXPECT_EQ(bar.GetValue(), c.stored) << c.min << " " << c.max << " " << c.value;
    }
    // A maximum set below the value leaves it until painting corrects it.
    bar.SetMinValue(0);
    bar.SetMaxValue(100);
    bar.SetValue(80);
    bar.SetMaxValue(60);
    EXPECT_EQ(bar.GetValue(), 80);
    EXPECT_EQ(bar.FillRect(), (ui_rect{0, 0, 100, 10}));
    EXPECT_EQ(bar.GetValue(), 60);
    // minimum >= maximum: the maximum becomes minimum + 1.
    bar.SetMinValue(7);
    bar.SetMaxValue(7);
    bar.SetValue(7);
    EXPECT_TRUE(bar.FillRect().empty());
    EXPECT_EQ(bar.GetMaxValue(), 8);
    bar.SetMinValue(INT_MAX);
    bar.SetMaxValue(INT_MIN);
    bar.FillRect();
    EXPECT_LT(bar.GetMinValue(), bar.GetMaxValue());
}

TEST_F(LayoutPaint, LayeredImageIsTheBaseLayer) {
    platform->resize_window(100, 50);
    open("<Window layeredimage=\"bk3.png\"><VerticalLayout>"
         "<Control name=\"c\" height=\"10\" bkimage=\"btn.png\"/></VerticalLayout></Window>");
    EXPECT_EQ(pixel(50, 40), kPage3);   // the base image, stretched over the window
    EXPECT_TRUE(near_pixel(pixel(50, 5), reference_blend(kPage3, kButton)));
    // A repaint starts again from the base, not from the last picture.
    find(L"c")->Invalidate();
    tick();
    EXPECT_TRUE(near_pixel(pixel(50, 5), reference_blend(kPage3, kButton)));
}

TEST_F(LayoutPaint, MissingImagesAreTriedOnceAndLeaveTheControlWorking) {
    platform->resize_window(100, 50);
    open("<Window layeredimage=\"\"><VerticalLayout>"
         "<Button name=\"b\" bkimage=\"nothere.png\" hotimage=\"alsonot.png\"/></VerticalLayout></Window>");
    const size_t loads = pm->GetImageLoadCount();
    EXPECT_EQ(pixel(10, 10), 0u);
    for (int i = 0; i < 5; ++i) {
        find(L"b")->Invalidate();
        tick();
    }
    EXPECT_EQ(pm->GetImageLoadCount(), loads);
    EXPECT_EQ(pm->GetImage(L"nothere.png"), nullptr);
    EXPECT_EQ(pm->FindControl(ui_point{10, 10}), find(L"b"));
}

TEST_F(LayoutPaint, OpaqueWindowPaintsOnRequest) {
    platform->layered_supported = false;
    open();
    EXPECT_FALSE(pm->IsLayered());
    EXPECT_FALSE(platform->last_present_layered);
    platform->invalidated.clear();
    find(L"btnUninst")->Invalidate();
    ASSERT_EQ(platform->invalidated.size(), 1u);
    EXPECT_EQ(platform->invalidated[0], (ui_rect{472, 310, 702, 360}));
    const size_t passes = pm->GetPaintCount();
    tick();   // no timer painting for an opaque window
    EXPECT_EQ(pm->GetPaintCount(), passes);
    pm->OnPaint(platform->invalidated[0]);
    EXPECT_EQ(pm->GetPaintCount(), passes + 1);
    EXPECT_EQ(platform->presented.back(), (ui_rect{472, 310, 702, 360}));
}

TEST_F(LayoutPaint, ResizeLaysOutAgainAndRepaintsEverything) {
    open();
    platform->set_client_size(500, 300);
    pm->OnSize(500, 300);
    tick();
    EXPECT_EQ(pm->GetRoot()->GetPos(), (ui_rect{0, 0, 500, 300}));
    EXPECT_EQ(platform->presented.back(), (ui_rect{0, 0, 500, 300}));
    EXPECT_EQ(pm->GetSurface().width, 500);
}

TEST(Render, AlphaFixUp) {
    uint32_t px[6] = {0x00000000, 0x00000001, 0x00FFFFFF, 0x80402010, 0xFF000000, 0x00123456};
    ui_surface s{px, 6, 1};
    CRenderEngine::AlphaFixup(s, ui_rect{0, 0, 5, 1});   // the last pixel is outside the area
    EXPECT_EQ(px[0], 0x00000000u);
    EXPECT_EQ(px[1], 0xFF000001u);
    EXPECT_EQ(px[2], 0xFFFFFFFFu);
    EXPECT_EQ(px[3], 0x80402010u);
    EXPECT_EQ(px[4], 0xFF000000u);
    EXPECT_EQ(px[5], 0x00123456u);
}

TEST(Render, ImagesStretchAndBlend) {
    ui_image img;
    img.width = 2;
    img.height = 1;
    img.pixels = {0xFFFF0000, 0x80000080};   // opaque red, half-transparent blue (premultiplied)
    img.has_alpha = true;
    std::vector<uint32_t> px(8 * 2, 0xFF00FF00);
    ui_surface s{px.data(), 8, 2};
    CRenderEngine::DrawImage(s, s.bounds(), img, ui_rect{0, 0, 8, 2});
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(px[y * 8 + x], 0xFFFF0000u);
        for (int x = 4; x < 8; ++x) EXPECT_TRUE(near_pixel(px[y * 8 + x], reference_blend(0xFF00FF00, 0x80000080)));
    }
    // Without alpha the image is copied, and the clip holds.
    img.has_alpha = false;
    img.pixels = {0xFF112233, 0xFF445566};
    std::fill(px.begin(), px.end(), 0u);
    CRenderEngine::DrawImage(s, ui_rect{1, 0, 3, 1}, img, ui_rect{0, 0, 4, 2});
    EXPECT_EQ(px[0], 0u);
    EXPECT_EQ(px[1], 0xFF112233u);
    EXPECT_EQ(px[2], 0xFF445566u);
    EXPECT_EQ(px[3], 0u);
    EXPECT_EQ(px[8 + 1], 0u);
    // A destination outside the surface or empty draws nothing and does not crash.
    CRenderEngine::DrawImage(s, s.bounds(), img, ui_rect{-100, -100, -50, -50});
    CRenderEngine::DrawImage(s, s.bounds(), img, ui_rect{3, 0, 3, 5});
    CRenderEngine::DrawImage(s, s.bounds(), img, ui_rect{-5, -5, 100, 100});
    EXPECT_EQ(px[0], 0xFF112233u);
}

}  // namespace

namespace {

TEST(Render, RunIndexedDrawingMatchesPixelByPixelBlending) {
    // Rows mixing long opaque and clear stretches with blended pixels and
    // short stretches, as an anti-aliased rounded panel has.
    ui_image img;
    img.width = 64;
    img.height = 3;
    img.has_alpha = true;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            uint32_t px;
            if (x < 10 + y) px = 0;                                  // clear
            else if (x < 13 + y) px = ui_premultiply(200, 40, 90, 100);   // blended edge
            else if (x < 40) px = 0xFF102030u + uint32_t(x);       // opaque
            else if (x < 43) px = 0;                                 // a short clear stretch
            else if (x < 45) px = 0xFF405060u;                       // a short opaque stretch
            else px = ui_premultiply(10, 250, 30, uint8_t(4 * x));
            img.pixels.push_back(px);
        }
    }
    ui_index_runs(img);
    ASSERT_EQ(img.row_runs.size(), 4u);
    ui_image plain = img;
    plain.runs.clear();
    plain.row_runs.clear();
    for (const ui_rect& clip : {ui_rect{0, 0, 80, 5}, ui_rect{12, 0, 41, 5}, ui_rect{44, 1, 46, 2}}) {
        std::vector<uint32_t> a(80 * 5, 0x80402010u), b(a);
        ui_surface sa{a.data(), 80, 5}, sb{b.data(), 80, 5};
        CRenderEngine::DrawImage(sa, clip, img, ui_rect{5, 1, 69, 4});
        CRenderEngine::DrawImage(sb, clip, plain, ui_rect{5, 1, 69, 4});
        EXPECT_EQ(a, b) << clip.left << "," << clip.right;
    }
}

}  // namespace

namespace {

using namespace uitest;
using LayoutPaintSize = SkinTest;

TEST_F(LayoutPaintSize, LayoutWaitsForAClientArea) {
    // A window without a client area (minimised, or not sized yet) keeps the
    // layout it owes and does it once there is room.
    platform->resize_window(0, 0);
    open("<Window layeredimage=\"\"><VerticalLayout name=\"root\"><Label name=\"l\" height=\"10\"/></VerticalLayout>"
         "</Window>");
    EXPECT_TRUE(notes.log.empty());
    EXPECT_EQ(pm->GetPaintCount(), 0u);
    platform->set_client_size(50, 30);
    tick();
    EXPECT_EQ(find(L"l")->GetPos(), (ui_rect{0, 0, 50, 10}));
    EXPECT_EQ(notes.log, (std::vector<std::string>{"windowinit:root"}));
    EXPECT_EQ(pm->GetPaintCount(), 1u);
}

}  // namespace

namespace {

using namespace uitest;
using LayoutPaintLimits = SkinTest;

TEST_F(LayoutPaintLimits, AbsurdNumbersNeitherOverflowNorCrash) {
    // Every number at the ends of the 32-bit range; under UBSan an overflow aborts.
    std::vector<uint8_t> bytes = read_file(std::string(UNINST_SOURCE_DIR) + "/fuzz/corpus/ui_markup/absurd_numbers.xml");
    open(std::string(bytes.begin(), bytes.end()).c_str());
    EXPECT_EQ(pm->GetFont(0).size, 4096);
    for (int i = 0; i < 3; ++i) {
        pm->OnMouseMove(ui_point{10 * i, 10});
        pm->OnLButtonDown(ui_point{10 * i, 10});
        pm->OnLButtonUp(ui_point{10 * i, 10});
        pm->Invalidate();
        tick();
    }
    EXPECT_GE(pm->GetPaintCount(), 1u);
}

}  // namespace
