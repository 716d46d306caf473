// The wizard's fixed tables: what a click on a named control does, the window
// icon of each platform, and the reason texts the feedback report carries.
#pragma once

#include <string>

enum class wizard_click { start_uninstall, cancel, finish, toggle_reason, none };

struct wizard_click_action {
    wizard_click what = wizard_click::none;
    int reason = -1;  // 0..7 for toggle_reason
};

// Exact, case-sensitive comparison with the layout's names.
wizard_click_action ActionForClick(const std::wstring& control_name);

// Icon resource id for the configured platform name (exact comparison).
int IconIdForPlatform(const std::string& platform_name);

// The reasons in check-box order (ckb1..ckb8), as the feedback carries them.
extern const wchar_t* const kReasonTexts[8];
