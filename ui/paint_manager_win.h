// Windows-only helpers around CPaintManagerUI's window binding.
#pragma once

#include <windows.h>

class CPaintManagerUI;
class win_platform;

// Unbinds the paint manager from its window: it leaves the pre-message list,
// stops the layered timer, releases the window's DC, the frame buffer and the
// fonts, and has no platform any more (later changes to controls are kept but
// nothing is painted). Called when the window is destroyed; idempotent.
void DetachPaintManagerWindow(CPaintManagerUI& manager);

// The platform bound by CPaintManagerUI::Init, or null.
win_platform* GetWindowPlatform(const CPaintManagerUI& manager);
