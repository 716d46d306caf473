// Drawing into a BGRA surface: stretched images, fills, the alpha fix-up.
#pragma once

#include <cstdint>

#include "ui/image.h"
#include "ui/ui_platform.h"
#include "ui/ui_types.h"

class CRenderEngine {
public:
    // Stretches the whole image into dest, drawing only inside clip.
    // With alpha: source-over with premultiplied alpha; without: copy.
    static void DrawImage(const ui_surface& surface, const ui_rect& clip, const ui_image& image, const ui_rect& dest);
    // Source-over fill with a non-premultiplied ARGB colour.
    static void DrawColor(const ui_surface& surface, const ui_rect& clip, const ui_rect& rect, uint32_t argb);
    // Sets the area to one premultiplied pixel value (0: fully transparent).
    static void Clear(const ui_surface& surface, const ui_rect& rect, uint32_t pixel = 0);
    // Copies the same area of another surface of the same size.
    static void Copy(const ui_surface& dst, const ui_surface& src, const ui_rect& rect);
    // After plain GDI drawing: a pixel that is exactly 0 stays transparent, a
    // non-zero pixel with alpha 0 gets alpha 255, others keep their alpha.
    static void AlphaFixup(const ui_surface& surface, const ui_rect& rect);
};
