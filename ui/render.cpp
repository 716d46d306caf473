#include "ui/render.h"

#include <algorithm>
#include <cstring>

namespace {

// Source-over of a premultiplied pixel onto a premultiplied pixel.
inline uint32_t blend(uint32_t dst, uint32_t src) {
    uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;   // premultiplied: alpha 0 means all zero
    uint32_t inv = 255 - sa;
    // Two channels at a time: (x * inv + 127) / 255 per 8-bit lane.
    uint32_t rb = (dst & 0x00FF00FF) * inv + 0x007F007F;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    uint32_t ag = ((dst >> 8) & 0x00FF00FF) * inv + 0x007F007F;
    ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
    uint32_t scaled = rb | ag;
    // Channel sums cannot overflow: src channels <= sa, scaled <= 255 - sa.
    return src + scaled;
}

ui_rect clip_to(const ui_surface& s, const ui_rect& clip, const ui_rect& r) {
    return ui_intersect(ui_intersect(r, clip), s.bounds());
}

}  // namespace

void CRenderEngine::DrawImage(const ui_surface& surface, const ui_rect& clip, const ui_image& image,
                              const ui_rect& dest) {
    if (dest.empty() || image.width <= 0 || image.height <= 0 || image.pixels.empty()) return;
    ui_rect area = clip_to(surface, clip, dest);
    if (area.empty()) return;
    const int64_t dw = dest.width(), dh = dest.height();
    // Nearest-neighbour stretch: x in dest maps to (x - left) * w / dw in the
    // image, stepped without a division per column.
    const bool identity_x = dw == image.width;
    std::vector<int32_t> columns;
    if (!identity_x) {
        columns.resize(static_cast<size_t>(area.width()));
        const int64_t start = area.left - dest.left;
        int64_t q = start * image.width / dw, r = start * image.width % dw;
        for (int32_t& c : columns) {
            c = static_cast<int32_t>(q);
            r += image.width;
            while (r >= dw) {
                r -= dw;
                ++q;
            }
        }
    }
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const int32_t sy = static_cast<int32_t>((y - dest.top) * image.height / dh);
        const uint32_t* src = image.pixels.data() + static_cast<size_t>(sy) * static_cast<size_t>(image.width);
        uint32_t* dst = surface.row(y) + area.left;
        const int32_t n = area.width();
        if (!image.has_alpha) {
            if (identity_x) {
                std::memcpy(dst, src + (area.left - dest.left), static_cast<size_t>(n) * sizeof(uint32_t));
            } else {
                for (int32_t i = 0; i < n; ++i) dst[i] = src[columns[static_cast<size_t>(i)]];
            }
        } else if (identity_x && !image.row_runs.empty()) {
            // Opaque runs are copied, transparent runs skipped, the rest blended.
            const int32_t x0 = area.left - dest.left, x1 = area.right - dest.left;
            uint32_t* row = surface.row(y) + dest.left;
            for (uint32_t k = image.row_runs[static_cast<size_t>(sy)]; k < image.row_runs[static_cast<size_t>(sy) + 1]; ++k) {
                const ui_image::run& r = image.runs[k];
                const int32_t s = std::max(r.start, x0), e = std::min(r.start + r.length, x1);
                if (s >= e) continue;
                if (r.kind == ui_image::opaque) {
                    std::memcpy(row + s, src + s, static_cast<size_t>(e - s) * sizeof(uint32_t));
                } else if (r.kind == ui_image::mixed) {
                    for (int32_t i = s; i < e; ++i) row[i] = blend(row[i], src[i]);
                }
            }
        } else if (identity_x) {
            const uint32_t* s = src + (area.left - dest.left);
            for (int32_t i = 0; i < n; ++i) dst[i] = blend(dst[i], s[i]);
        } else {
            for (int32_t i = 0; i < n; ++i) dst[i] = blend(dst[i], src[columns[static_cast<size_t>(i)]]);
        }
    }
}

void CRenderEngine::DrawColor(const ui_surface& surface, const ui_rect& clip, const ui_rect& rect, uint32_t argb) {
    ui_rect area = clip_to(surface, clip, rect);
    uint8_t a = static_cast<uint8_t>(argb >> 24);
    if (area.empty() || a == 0) return;
    uint32_t px = (a == 255) ? argb
                             : ((static_cast<uint32_t>(a) << 24) | (((argb >> 16) & 0xFF) * a / 255) << 16 |
                                (((argb >> 8) & 0xFF) * a / 255) << 8 | ((argb & 0xFF) * a / 255));
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* dst = surface.row(y);
        for (int32_t x = area.left; x < area.right; ++x) dst[x] = blend(dst[x], px);
    }
}

void CRenderEngine::Clear(const ui_surface& surface, const ui_rect& rect, uint32_t pixel) {
    ui_rect area = ui_intersect(rect, surface.bounds());
    if (area.empty()) return;
    const size_t bytes = static_cast<size_t>(area.width()) * sizeof(uint32_t);
    if (area.left == 0 && area.right == surface.width && pixel == 0) {
        std::memset(surface.row(area.top), 0, bytes * static_cast<size_t>(area.height()));   // one block
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y) {
        if (pixel == 0) std::memset(surface.row(y) + area.left, 0, bytes);
        else std::fill(surface.row(y) + area.left, surface.row(y) + area.right, pixel);
    }
}

void CRenderEngine::Copy(const ui_surface& dst, const ui_surface& src, const ui_rect& rect) {
    if (dst.width != src.width || dst.height != src.height) return;
    ui_rect area = ui_intersect(rect, dst.bounds());
    if (area.empty()) return;
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::memcpy(dst.row(y) + area.left, src.row(y) + area.left, static_cast<size_t>(area.width()) * sizeof(uint32_t));
}

void CRenderEngine::AlphaFixup(const ui_surface& surface, const ui_rect& rect) {
    ui_rect area = ui_intersect(rect, surface.bounds());
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* p = surface.row(y);
        // Branch-free so that the compiler can vectorise it.
        for (int32_t x = area.left; x < area.right; ++x) {
            const uint32_t v = p[x];
            const uint32_t fix = static_cast<uint32_t>(v != 0) & static_cast<uint32_t>((v >> 24) == 0);
            p[x] = v | ((0u - fix) & 0xFF000000u);
        }
    }
}
