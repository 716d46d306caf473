#include "uninstall/wizard_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ActionForClick, NamesAreExact) {
    struct row {
        const wchar_t* name;
        wizard_click what;
        int reason;
    };
    const row rows[] = {
        {L"btnUninst", wizard_click::start_uninstall, -1},
        {L"btnCancel", wizard_click::cancel, -1},
        {L"btnUninstFinish", wizard_click::finish, -1},
        {L"ckb1", wizard_click::toggle_reason, 0},
        {L"ckb5", wizard_click::toggle_reason, 4},
        {L"ckb8", wizard_click::toggle_reason, 7},
        {L"ckb0", wizard_click::none, -1},
        {L"ckb9", wizard_click::none, -1},
        {L"ckb10", wizard_click::none, -1},
        {L"CKB1", wizard_click::none, -1},
        {L"btnuninst", wizard_click::none, -1},
        {L"btnUninst ", wizard_click::none, -1},
        {L"closebtn", wizard_click::none, -1},
        {L"", wizard_click::none, -1},
    };
    for (const auto& r : rows) {
        auto a = ActionForClick(r.name);
        EXPECT_EQ(a.what, r.what) << r.name;
        EXPECT_EQ(a.reason, r.reason) << r.name;
    }
}

TEST(IconIdForPlatform, ByExactName) {
    struct row {
        const char* platform;
        int id;
    };
    const row rows[] = {{"rulo", 105}, {"test", 106}, {"livetest", 106}, {"match", 107}, {"", 104},
                        {"Test", 104}, {"RULO", 104}, {"match ", 104}, {"default", 104}};
    for (const auto& r : rows) EXPECT_EQ(IconIdForPlatform(r.platform), r.id) << r.platform;
}

TEST(ReasonTexts, FitTheirFiftyCharacterBuffers) {
    for (const auto* t : kReasonTexts) EXPECT_LT(std::wstring(t).size(), 50u);
    EXPECT_STREQ(kReasonTexts[0], L"无法游戏");
    EXPECT_STREQ(kReasonTexts[7], L"其他原因");
}

}  // namespace
