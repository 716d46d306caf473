#include "uninstall/edition_names.h"

namespace {

struct edition_row {
    const wchar_t* key;
    const wchar_t* display_name;
};

// Searched in this order; the first exact (case-sensitive) match wins.
const edition_row kEditions[] = {
    {L"VARN2-ORCHID", L"铁砧行动2青岚版"},
    {L"VARN2-QX", L"铁砧行动2"},
    {L"VARN2-BASALT", L"铁砧行动2BASALT版"},
    {L"VARN2-HARBOR", L"铁砧行动2港湾服"},
    {L"VARN2-WILLOW", L"铁砧行动2垂柳版"},
    {L"VARN2-KILN-LOOM", L"铁砧行动2KILN-LOOM版"},
    {L"VARN2-GLACIER", L"anvil watch2-GLACIER"},
    {L"VARN2-OX-RIDGE", L"铁砧行动2OX-RIDGE版"},
    {L"VARN2-8152", L"铁砧行动2-8152"},
    {L"VARN2-DUSK", L"铁砧行动2暮光"},
    {L"VARN2-FJORD", L"VARN2-FJORD"},
    {L"VARN2-MARLIN", L"VARN2-MARLIN"},
    {L"VARN2-QUILL", L"铁砧行动2"},
    {L"VARN2-PEBBLE", L"铁砧行动2"},
};

}  // namespace

std::wstring EditionDisplayNameFromKeyPath(const std::wstring& key_path) {
    const auto last = key_path.rfind(L'\\');
    if (last == std::wstring::npos) return std::wstring();
    const std::wstring tail = key_path.substr(last + 1);
    for (const edition_row& row : kEditions) {
        if (tail == row.key) return row.display_name;
    }
    return tail;
}
