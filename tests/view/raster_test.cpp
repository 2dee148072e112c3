#include <algorithm>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "view/raster.h"

namespace torvel {
namespace {

constexpr uint32_t kInk = 0xFF123456;

struct Canvas {
    int32_t width, height;
    std::vector<uint32_t> pixels;
    Canvas(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
    Raster raster() { return {pixels.data(), width, height}; }
    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int count(uint32_t color) const {
        int n = 0;
        for (uint32_t p : pixels) n += p == color;
        return n;
    }
};

// Walks every step of the line, far ends included, and keeps the pixels that
// fall inside: step i lies i along the major axis and i * minor / n along the
// minor one, rounded half away from a.
void ReferenceLine(Canvas& c, ImagePoint a, ImagePoint b) {
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    for (int64_t i = 0; i <= n; ++i) {
        int64_t x = a.x;
        int64_t y = a.y;
        if (n > 0) {
            const auto along = [&](int64_t d) {
                const int64_t steps = (2 * i * std::llabs(d) + n) / (2 * n);
                return d < 0 ? -steps : steps;
            };
            x += along(dx);
            y += along(dy);
        }
        if (x >= 0 && y >= 0 && x < c.width && y < c.height) c.pixels[static_cast<size_t>(y * c.width + x)] = kInk;
    }
}

TEST(DrawLine, MatchesAStepByStepReferenceOnRandomSegments) {
    std::mt19937 random(20261209);
    const int32_t w = 37;
    const int32_t h = 23;
    // Ends inside, ends around the raster, ends far away.
    const int32_t spans[] = {0, 3 * w, 100000};
    for (int32_t span : spans) {
        std::uniform_int_distribution<int32_t> x_of(-span, w - 1 + span);
        std::uniform_int_distribution<int32_t> y_of(-span, h - 1 + span);
        const int rounds = span > 1000 ? 60 : 3000;
        for (int k = 0; k < rounds; ++k) {
            const ImagePoint a{x_of(random), y_of(random)};
            const ImagePoint b{x_of(random), y_of(random)};
            Canvas drawn(w, h);
            Canvas expected(w, h);
            DrawLine(drawn.raster(), a, b, kInk);
            ReferenceLine(expected, a, b);
            ASSERT_EQ(drawn.pixels, expected.pixels)
                << "(" << a.x << "," << a.y << ") to (" << b.x << "," << b.y << ")";
        }
    }
}

TEST(DrawLine, FarEndsDrawOnlyTheVisiblePart) {
    const int32_t far = 1 << 28;
    Canvas c(50, 40);
    DrawLine(c.raster(), {-far, 10}, {far, 10}, kInk);
    EXPECT_EQ(c.count(kInk), 50);
    EXPECT_EQ(c.at(0, 10), kInk);
    EXPECT_EQ(c.at(49, 10), kInk);

    Canvas d(50, 40);
    DrawLine(d.raster(), {-far, -far}, {far, far}, kInk);
    EXPECT_EQ(d.count(kInk), 40);
    for (int32_t k = 0; k < 40; ++k) EXPECT_EQ(d.at(k, k), kInk);

    Canvas e(50, 40);
    DrawLine(e.raster(), {-far, 100}, {far, 100}, kInk);  // passes below
    DrawLine(e.raster(), {far, -far}, {far, far}, kInk);  // passes to the right
    EXPECT_EQ(e.count(kInk), 0);
}

TEST(DrawLine, SinglePointAndEmptyRaster) {
    Canvas c(4, 4);
    DrawLine(c.raster(), {2, 1}, {2, 1}, kInk);
    EXPECT_EQ(c.at(2, 1), kInk);
    EXPECT_EQ(c.count(kInk), 1);
    DrawLine(c.raster(), {9, 9}, {9, 9}, kInk);
    EXPECT_EQ(c.count(kInk), 1);
    DrawLine(Raster{nullptr, 0, 0}, {0, 0}, {5, 5}, kInk);
}

TEST(FillRect, ClipsToTheRaster) {
    Canvas c(10, 8);
    FillRect(c.raster(), -1, -1, 3, 3, kInk);
    EXPECT_EQ(c.count(kInk), 4);
    EXPECT_EQ(c.at(1, 1), kInk);
    FillRect(c.raster(), 9, 7, 3, 3, kInk);
    EXPECT_EQ(c.at(9, 7), kInk);
    EXPECT_EQ(c.count(kInk), 5);
    FillRect(c.raster(), INT32_MAX - 1, 0, 3, 3, kInk);
    FillRect(c.raster(), -(1 << 28), -(1 << 28), 3, 3, kInk);
    EXPECT_EQ(c.count(kInk), 5);
}

TEST(DrawClosedOutline, JoinsTheLastPointToTheFirst) {
    Canvas c(10, 10);
    const ImagePoint triangle[3] = {{1, 1}, {8, 1}, {1, 8}};
    DrawClosedOutline(c.raster(), triangle, 3, kInk);
    EXPECT_EQ(c.at(4, 1), kInk);  // first side
    EXPECT_EQ(c.at(4, 5), kInk);  // hypotenuse
    EXPECT_EQ(c.at(1, 4), kInk);  // closing side
    EXPECT_EQ(c.at(3, 3), 0u);
    EXPECT_EQ(c.count(kInk), 7 + 7 + 7);
}

// An outline drawn whole or into bands of rows: the bands together give the
// pixels of DrawLine of every side, each band only its own rows. Small
// outlines (the corner-only fast path) and large ones, inside and across the
// raster's edges.
TEST(DrawFaceOutline, BandsTogetherAreEverySideDrawnWhole) {
    std::mt19937 random(1209);
    const int32_t w = 29;
    const int32_t h = 31;
    for (int32_t spread : {1, 2, 12, 60}) {
        std::uniform_int_distribution<int32_t> at(-3, h + 2);
        std::uniform_int_distribution<int32_t> off(0, spread);
        for (int k = 0; k < 1500; ++k) {
            const int count = 3 + k % 2;
            const ImagePoint origin{at(random), at(random)};
            ImagePoint points[4];
            for (int c = 0; c < count; ++c) points[c] = {origin.x + off(random) - spread / 2, origin.y + off(random)};
            Canvas expected(w, h);
            for (int c = 0; c < count; ++c) DrawLine(expected.raster(), points[c], points[(c + 1) % count], kInk);
            Canvas whole(w, h);
            DrawClosedOutline(whole.raster(), points, count, kInk);
            ASSERT_EQ(whole.pixels, expected.pixels) << k;
            Canvas banded(w, h);
            std::uniform_int_distribution<int32_t> cut(-2, h + 2);
            int32_t cuts[3] = {cut(random), cut(random), cut(random)};
            std::sort(cuts, cuts + 3);
            const int32_t edges[5] = {INT32_MIN, cuts[0], cuts[1], cuts[2], INT32_MAX};
            for (int b = 0; b < 4; ++b) {
                Raster band = banded.raster();
                band.row_begin = edges[b];
                band.row_end = edges[b + 1];
                DrawFaceOutline(band, points, count, kInk);
            }
            ASSERT_EQ(banded.pixels, expected.pixels) << k << " spread " << spread;
        }
    }
}

// A mark is its 3 x 3 square clipped to the band, wherever it lies: on the
// band's edges too, where a degenerate view puts a million marks.
TEST(DrawMark, IsItsSquareClippedToTheBand) {
    const int32_t w = 7;
    const int32_t h = 8;
    for (const auto& [top, bottom] : {std::pair{INT32_MIN, INT32_MAX}, std::pair{0, 3}, std::pair{3, 5}, std::pair{5, 8}}) {
        for (int32_t y = -2; y <= h + 1; ++y) {
            for (int32_t x = -2; x <= w + 1; ++x) {
                Canvas expected(w, h);
                Raster e = expected.raster();
                for (int32_t row = std::max(y - 1, top); row <= y + 1 && row < bottom; ++row) {
                    FillRect(e, x - 1, row, 3, 1, kInk);
                }
                Canvas marked(w, h);
                Raster band = marked.raster();
                band.row_begin = top;
                band.row_end = bottom;
                DrawMark(band, {x, y}, kInk);
                ASSERT_EQ(marked.pixels, expected.pixels) << x << "," << y << " in " << top << ".." << bottom;
            }
        }
    }
}

TEST(FillRect, KeepsToItsBand) {
    Canvas c(6, 6);
    Raster band = c.raster();
    band.row_begin = 2;
    band.row_end = 4;
    FillRect(band, 1, 0, 3, 6, kInk);
    EXPECT_EQ(c.count(kInk), 6);
    EXPECT_EQ(c.at(1, 2), kInk);
    EXPECT_EQ(c.at(3, 3), kInk);
    EXPECT_EQ(c.at(1, 1), 0u);
    EXPECT_EQ(c.at(1, 4), 0u);
}

}  // namespace
}  // namespace torvel
