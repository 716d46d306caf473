// The edition key at the end of the registry key path picks the display name.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/edition_names.h"

namespace {

const std::wstring kBase = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Game\\";

TEST(EditionDisplayName, EveryRowOfTheTable) {
    struct Case {
        const wchar_t* key;
        const wchar_t* name;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.key)));
        EXPECT_EQ(EditionDisplayNameFromKeyPath(kBase + c.key), c.name);
    }
}

TEST(EditionDisplayName, KeysOutsideTheTableAndOddPaths) {
    struct Case {
        std::wstring path;
        std::wstring name;
    };
    const Case cases[] = {
        // Not in the table, or only by letter case or spaces: the key itself.
        {kBase + L"VARN2-NEW", L"VARN2-NEW"},
        {kBase + L"varn2-qx", L"varn2-qx"},
        {kBase + L"VARN2-QX ", L"VARN2-QX "},
        {kBase + L"VARN2-Q", L"VARN2-Q"},
        // Only the last component counts.
        {L"VARN2-QX\\VARN2-DUSK", L"铁砧行动2暮光"},
        {L"X\\VARN2-QX\\Other", L"Other"},
        {L"\\VARN2-QX", L"铁砧行动2"},
        // No backslash, nothing, or a trailing backslash: no name.
        {L"VARN2-QX", L""},
        {L"", L""},
        {kBase + L"VARN2-QX\\", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(EditionDisplayNameFromKeyPath(c.path), c.name);
    }
}

}  // namespace
