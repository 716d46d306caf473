#include "ui/notify.h"

bool CNotifyPump::NotifyPump(TNotifyUI& msg) {
    for (const ui_notify_entry& entry : GetMessageMap()) {
        if (entry.type == msg.sType && entry.handler) {
            entry.handler(msg);
            return true;
        }
    }
    return false;
}

const ui_notify_map& CNotifyPump::GetMessageMap() {
    static const ui_notify_map empty;
    return empty;
}
