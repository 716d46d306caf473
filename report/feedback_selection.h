// The ticked reasons of the wizard's first page, as the feedback report needs them.
#pragma once

#include <string>
#include <vector>

struct FeedbackSelection {
    std::wstring result;              // one "1" or "0" per check box, in check-box order
    std::vector<std::wstring> texts;  // the ticked reasons' texts, in check-box order
};

// `texts` are the check boxes' texts, each zero-terminated within its 50 characters.
FeedbackSelection SelectFeedbackReasons(const bool (&selected)[8], const wchar_t (&texts)[8][50]);
