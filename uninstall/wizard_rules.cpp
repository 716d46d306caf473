#include "uninstall/wizard_rules.h"

const wchar_t* const kReasonTexts[8] = {
    L"无法游戏", L"经常崩溃", L"游戏卡顿", L"没时间玩", L"画质不好", L"体验不好", L"其他游戏", L"其他原因",
};

wizard_click_action ActionForClick(const std::wstring& name) {
    if (name == L"btnUninst") return {wizard_click::start_uninstall, -1};
    if (name == L"btnCancel") return {wizard_click::cancel, -1};
    if (name == L"btnUninstFinish") return {wizard_click::finish, -1};
    if (name.size() == 4 && name.compare(0, 3, L"ckb") == 0 && name[3] >= L'1' && name[3] <= L'8')
        return {wizard_click::toggle_reason, name[3] - L'1'};
    return {};
}

int IconIdForPlatform(const std::string& platform_name) {
    if (platform_name == "rulo") return 105;
    if (platform_name == "test" || platform_name == "livetest") return 106;
    if (platform_name == "match") return 107;
    return 104;
}
