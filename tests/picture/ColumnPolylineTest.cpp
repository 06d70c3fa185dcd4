// Column polylines against GDI's Polyline: the same pixels for steps of any
// height in both directions, lines that leave the surface at the top and
// the bottom, and lines that start left of it or run past its right edge.
#include "framework/ColumnPolyline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kWidth = 48, kHeight = 40;

std::vector<uint32_t> DrawnByGdi(int x0, const std::vector<int>& ys) {
    fw::PixelCanvas canvas(kWidth, kHeight);
    canvas.Fill(0);
    std::vector<POINT> points;
    for (size_t i = 0; i < ys.size(); ++i) points.push_back({x0 + static_cast<int>(i), ys[i]});
    fw::UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    fw::SelectGuard select(canvas.Dc(), pen.get());
    ::Polyline(canvas.Dc(), points.data(), static_cast<int>(points.size()));
    ::GdiFlush();
    const fw::PixelView& v = canvas.View();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; ++y) pixels.insert(pixels.end(), v.Row(y), v.Row(y) + kWidth);
    return pixels;
}

std::vector<uint32_t> DrawnByColumns(fw::ColumnPolyline& polyline, int x0, const std::vector<int>& ys) {
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth * kHeight), 0);
    const fw::PixelView view{pixels.data(), kWidth, kHeight, kWidth};
    polyline.Draw(view, x0, ys.data(), static_cast<int>(ys.size()), 0xFFFFFF);
    return pixels;
}

}  // namespace

TEST(ColumnPolyline, SetsThePixelsPolylineSets) {
    std::vector<std::vector<int>> traces;
    std::vector<int> steps;  // every step from -45 to 45, up and down again
    int y = 20;
    for (int step = -45; step <= 45; ++step) {
        steps.push_back(y);
        y = y + step > 60 || y + step < -20 ? y - step : y + step;
    }
    traces.push_back(steps);
    traces.push_back({-10, -3, 5, 39, 40, 55, 12, 12, 13, 11, -1, 0, 1});  // leaving at the top and the bottom
    traces.push_back({30, 30, 30, 29, 31, 28, 32});                        // flat and nearly flat
    traces.push_back({5});                                                 // a single point draws nothing
    fw::ColumnPolyline polyline;
    for (size_t t = 0; t < traces.size(); ++t)
        for (int x0 : {0, -7, 30}) {
            const std::vector<int>& ys = traces[t];
            EXPECT_EQ(DrawnByColumns(polyline, x0, ys), DrawnByGdi(x0, ys)) << "trace " << t << " from x " << x0;
        }
}
