#include "report/feedback_selection.h"

FeedbackSelection SelectFeedbackReasons(const bool (&selected)[8], const wchar_t (&texts)[8][50]) {
    FeedbackSelection selection;
    for (int i = 0; i < 8; ++i) {
        if (!selected[i]) {
            selection.result += L'0';
            continue;
        }
        selection.result += L'1';
        // Never read past the buffer, should a text fill it without a terminator.
        size_t length = 0;
        while (length < 50 && texts[i][length] != L'\0') ++length;
        selection.texts.emplace_back(texts[i], length);
    }
    return selection;
}
