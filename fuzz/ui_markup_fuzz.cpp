// libFuzzer target: the layout markup parser and the builder over its result.
#include <cstddef>
#include <cstdint>

#include "ui/dialog_builder.h"
#include "ui/headless_platform.h"
#include "ui/markup.h"
#include "ui/paint_manager.h"

namespace {
size_t walk(const CMarkupNode& node, int depth) {
    size_t n = 0;
    for (CMarkupNode c = node; c.IsValid(); c = c.GetSibling()) {
        ++n;
        for (int i = 0; i < c.GetAttributeCount(); ++i) n += c.GetAttributeName(i)[0] + c.GetAttributeValue(i)[0];
        if (depth < CMarkup::kMaxDepth + 1) n += walk(c.GetChild(), depth + 1);
    }
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMarkup xml;
    if (xml.LoadFromMem(data, size)) walk(xml.GetRoot(), 0);
    // The builder over the same text, on a window: attributes, fonts, layout, one paint pass.
    std::wstring text = ui_utf8_to_wide(data, size);
    if (!text.empty() && text[0] == L'<') {
        headless_platform platform(64, 48);
        CPaintManagerUI pm;
        pm.SetPlatform(&platform);
        CDialogBuilder builder;
        if (CControlUI* root = builder.Create(text.c_str(), nullptr, nullptr, &pm)) {
            pm.AttachDialog(root);
            ui_size s = platform.client_size();
            // Layouts may ask for any size; keep the frame small.
            if (s.cx > 0 && s.cy > 0 && int64_t(s.cx) * s.cy <= 1 << 20) pm.Paint(ui_rect{0, 0, s.cx, s.cy});
            pm.FindControl(ui_point{5, 5});
        }
        CPaintManagerUI::RemoveAllSharedFonts();
    }
    return 0;
}
