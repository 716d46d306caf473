// A receiver of the messages the UI thread's message loop takes out of the queue,
// before they are translated and dispatched (CPaintManagerUI::AddMessageFilter).
#pragma once

#include <windows.h>

class IMessageFilterUI {
public:
    // Setting handled to true swallows the message: no later filter sees it and
    // it is never dispatched; the return value is then the message's result.
    virtual LRESULT MessageHandler(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};
