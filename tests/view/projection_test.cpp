#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "test_support.h"
#include "view/view_state.h"

namespace torvel {
namespace {

ViewState Client(int32_t width, int32_t height) {
    ViewState view;
    view.client_width = width;
    view.client_height = height;
    return view;
}

// One parts of the given points, no faces, bounding data from the points.
std::unique_ptr<Document> PointModel(std::initializer_list<Vec3> points) {
    auto doc = NewDocument();
    const int32_t n = static_cast<int32_t>(points.size());
    doc->parts_count = 1;
    doc->total_vertex_count = n;
    AllocateVertexArrays(*doc, n);
    size_t k = 0;
    Vec3 lo = *points.begin();
    Vec3 hi = lo;
    for (const Vec3& p : points) {
        doc->vertices[k++] = p;
        lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    doc->vertex_offset[1] = n;
    doc->corner_min[0] = doc->total_corner_min = lo;
    doc->corner_max[0] = doc->total_corner_max = hi;
    doc->center[0] = doc->total_center = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    return doc;
}

ImagePoint PixelOf(const Document& doc, size_t index) {
    return ImagePixel(doc, ProjectVertex(doc, doc.direction, index));
}

TEST(FitView, CubeInA430By330ClientFillsTheHeight) {
    auto doc = test::MakeCube();
    ViewState view = Client(430, 330);
    FitView(*doc, view, 0);
    EXPECT_EQ(doc->fit_scale, 150.0f);
    EXPECT_EQ(view.image_width, 312);
    EXPECT_EQ(view.image_height, 312);
    EXPECT_EQ(doc->origin_x, 155);
    EXPECT_EQ(doc->origin_y, 155);
}

TEST(FitView, CornerOfTheCubeSeenFromEachSide) {
    auto doc = test::MakeCube();
    const size_t corner = 7;  // (1, 1, 1)
    struct Case {
        ViewDirection direction;
        int32_t x, y;
    };
    const Case cases[] = {{ViewDirection::Front, 305, 5},   {ViewDirection::Back, 5, 5},
                          {ViewDirection::Left, 305, 5},    {ViewDirection::Right, 5, 5},
                          {ViewDirection::Top, 305, 305},   {ViewDirection::Bottom, 305, 5}};
    for (const Case& c : cases) {
        doc->direction = c.direction;
        ViewState view = Client(430, 330);
        FitView(*doc, view, 0);
        const ImagePoint p = PixelOf(*doc, corner);
        EXPECT_EQ(p.x, c.x) << static_cast<int>(c.direction);
        EXPECT_EQ(p.y, c.y) << static_cast<int>(c.direction);
    }
}

TEST(FitView, OnePartsIsFittedByItsOwnBox) {
    auto doc = test::MakeTwoParts();  // parts 2 spans x 3..4 and y 0..1.5
    ViewState view = Client(430, 330);
    FitView(*doc, view, 2);
    EXPECT_EQ(doc->fit_scale, 200.0f);
    EXPECT_EQ(view.image_width, 212);
    EXPECT_EQ(view.image_height, 312);
    const ImagePoint low_left = PixelOf(*doc, 4);  // (3, 0, 1)
    const ImagePoint apex = PixelOf(*doc, 6);      // (3.5, 1.5, 1)
    EXPECT_EQ(low_left.x, 5);
    EXPECT_EQ(low_left.y, 305);
    EXPECT_EQ(apex.x, 105);
    EXPECT_EQ(apex.y, 5);
}

TEST(FitView, ZeroExtentFallsBackToOneUnit) {
    // A single point: both screen extents are zero.
    auto point = PointModel({{3, 4, 5}});
    ViewState view = Client(430, 330);
    FitView(*point, view, 0);
    EXPECT_EQ(point->fit_scale, 300.0f);
    EXPECT_EQ(view.image_width, 12);
    EXPECT_EQ(view.image_height, 12);
    EXPECT_EQ(PixelOf(*point, 0).x, 5);
    EXPECT_EQ(PixelOf(*point, 0).y, 5);

    // A line along z seen end-on from the front; from the left it fits.
    auto line = PointModel({{0, 0, -2}, {0, 0, 2}});
    FitView(*line, view, 0);
    EXPECT_EQ(line->fit_scale, 300.0f);
    line->direction = ViewDirection::Left;
    FitView(*line, view, 0);
    EXPECT_EQ(line->fit_scale, 100.0f);
    EXPECT_EQ(view.image_width, 412);
}

TEST(FitView, TinyClientAreaUsesScaleOneAndBoundsTheImage) {
    auto doc = PointModel({{0, 0, 0}, {1.0e6f, 2.0e6f, 0}});
    ViewState view = Client(30, 200);
    FitView(*doc, view, 0);
    EXPECT_EQ(doc->fit_scale, 1.0f);
    // A million-unit model at one pixel per unit would need terabytes.
    EXPECT_LE(view.image_width, 16384);
    EXPECT_LE(view.image_height, 16384);
    EXPECT_LE(int64_t{view.image_width} * view.image_height, int64_t{1} << 26);
}

TEST(ImagePixel, TruncatesTowardZeroAndHoldsFarCoordinates) {
    auto doc = NewDocument();
    doc->fit_scale = 10.0f;
    doc->origin_x = 100;
    doc->origin_y = 100;
    EXPECT_EQ(ImagePixel(*doc, {0.35f, -0.35f}).x, 103);
    EXPECT_EQ(ImagePixel(*doc, {-0.35f, 0.35f}).x, 97);
    EXPECT_EQ(ImagePixel(*doc, {-0.35f, 0.35f}).y, 97);

    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ImagePixel(*doc, {3.0e38f, -3.0e38f}).x, 1 << 28);
    EXPECT_EQ(ImagePixel(*doc, {3.0e38f, -3.0e38f}).y, 1 << 28);
    EXPECT_EQ(ImagePixel(*doc, {-inf, inf}).x, -(1 << 28));
    EXPECT_EQ(ImagePixel(*doc, {nan, nan}).x, -(1 << 28));
}

TEST(ProjectVertex, ReadsTheAxesAndNormalsOfEachDirection) {
    auto doc = PointModel({{1, 2, 3}});
    doc->normals[0] = {0.1f, 0.2f, 0.3f};
    const struct {
        ViewDirection d;
        float u, v, facing;
    } rows[] = {{ViewDirection::Front, 1, 2, -0.3f}, {ViewDirection::Back, -1, 2, 0.3f},
                {ViewDirection::Left, 3, 2, -0.1f},  {ViewDirection::Right, -3, 2, 0.1f},
                {ViewDirection::Top, 1, -3, 0.2f},   {ViewDirection::Bottom, 1, 3, -0.2f}};
    for (const auto& r : rows) {
        const Projected p = ProjectVertex(*doc, r.d, 0);
        EXPECT_EQ(p.u, r.u);
        EXPECT_EQ(p.v, r.v);
        EXPECT_EQ(FacingValue(*doc, r.d, 0), r.facing);
    }
    const Projected unknown = ProjectVertex(*doc, static_cast<ViewDirection>(9), 0);
    EXPECT_EQ(unknown.u, 0.0f);
    EXPECT_EQ(unknown.v, 0.0f);
}

}  // namespace
}  // namespace torvel
