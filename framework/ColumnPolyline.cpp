#include "framework/ColumnPolyline.h"

#include <cstdlib>

namespace fw {

const std::vector<ColumnPolyline::Offset>& ColumnPolyline::Stroke(int dy) {
    auto& strokes = dy >= 0 ? m_up : m_down;
    auto& known = dy >= 0 ? m_knownUp : m_knownDown;
    const size_t index = static_cast<size_t>(dy >= 0 ? dy : -dy - 1);
    if (index >= strokes.size()) {
        strokes.resize(index + 1);
        known.resize(index + 1, false);
    }
    if (!known[index]) {
        const int reach = std::abs(dy) + 2;
        PixelCanvas canvas(4, 2 * reach + 1);
        std::vector<Offset>& stroke = strokes[index];
        if (canvas) {
            canvas.Fill(0);
            UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
            SelectGuard select(canvas.Dc(), pen.get());
            ::MoveToEx(canvas.Dc(), 1, reach, nullptr);
            ::LineTo(canvas.Dc(), 2, reach + dy);
            ::GdiFlush();
            const PixelView& v = canvas.View();
            for (int y = 0; y < v.height; ++y)
                for (int x = 0; x < v.width; ++x)
                    if (v.Row(y)[x] & 0xFFFFFF) stroke.push_back({x - 1, y - reach});
        }
        known[index] = true;
    }
    return strokes[index];
}

void ColumnPolyline::Draw(const PixelView& surface, int x0, const int* ys, int count, uint32_t pixel) {
    if (!surface) return;
    for (int i = 0; i + 1 < count; ++i) {
        const int x = x0 + i, y = ys[i];
        for (const Offset& o : Stroke(ys[i + 1] - y)) {
            const int px = x + o.dx, py = y + o.dy;
            if (px >= 0 && px < surface.width && py >= 0 && py < surface.height) surface.Row(py)[px] = pixel;
        }
    }
}

}  // namespace fw
