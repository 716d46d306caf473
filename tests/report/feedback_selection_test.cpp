#include "report/feedback_selection.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Reasons {
    wchar_t texts[8][50] = {};
    Reasons() {
        const wchar_t* names[8] = {L"无法游戏", L"经常崩溃", L"游戏卡顿", L"没时间玩",
                                   L"画质不好", L"体验不好", L"其他游戏", L"其他原因"};
        for (int i = 0; i < 8; ++i) std::wcscpy(texts[i], names[i]);
    }
};

struct SelectionCase {
    const char* name;
    bool selected[8];
    std::wstring result;
    std::vector<std::wstring> texts;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class FeedbackSelectionTable : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(FeedbackSelectionTable, ResultAndTextsInCheckBoxOrder) {
    const SelectionCase& c = GetParam();
    Reasons reasons;
    const FeedbackSelection s = SelectFeedbackReasons(c.selected, reasons.texts);
    EXPECT_EQ(s.result, c.result);
    EXPECT_EQ(s.texts, c.texts);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FeedbackSelectionTable,
    ::testing::Values(
        SelectionCase{"none", {}, L"00000000", {}},
        SelectionCase{"first_and_last", {true, false, false, false, false, false, false, true}, L"10000001",
                      {L"无法游戏", L"其他原因"}},
        SelectionCase{"third_only", {false, false, true}, L"00100000", {L"游戏卡顿"}},
        SelectionCase{"all",
                      {true, true, true, true, true, true, true, true},
                      L"11111111",
                      {L"无法游戏", L"经常崩溃", L"游戏卡顿", L"没时间玩", L"画质不好", L"体验不好", L"其他游戏",
                       L"其他原因"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FeedbackSelection, TextWithoutTerminatorStopsAtItsBuffer) {
    Reasons reasons;
    for (wchar_t& ch : reasons.texts[0]) ch = L'x';  // runs into texts[1] if unbounded
    const bool selected[8] = {true};
    const FeedbackSelection s = SelectFeedbackReasons(selected, reasons.texts);
    ASSERT_EQ(s.texts.size(), 1u);
    EXPECT_EQ(s.texts[0], std::wstring(50, L'x'));
}

}  // namespace
