#include <algorithm>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "recording_host.h"
#include "test_support.h"
#include "view/raster.h"
#include "view/render.h"

namespace torvel {
namespace {

uint32_t Pixel(const Document& doc, int32_t x, int32_t y) {
    return doc.image.pixels[static_cast<size_t>(y) * doc.image.width + x];
}

bool Mark(const Document& doc, int32_t x, int32_t y, uint32_t color) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            if (Pixel(doc, x + dx, y + dy) != color) return false;
        }
    }
    return true;
}

struct Rendered {
    ViewState view;
    test::RecordingHost rec;
    RenderScratch scratch;
    bool ok = false;

    explicit Rendered(Document& doc, int32_t width = 430, int32_t height = 330) {
        const ViewHost host = rec.host();
        InitScrollBars(view, host);
        ResizeView(view, host, width, height);
        ok = RenderModel(doc, view, scratch, host);
    }
};

TEST(RenderModel, CubeFromTheFrontShowsEdgesAndMarks) {
    auto doc = test::MakeCube();
    Rendered r(*doc);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(doc->image.width, 312);
    ASSERT_EQ(doc->image.height, 312);
    EXPECT_EQ(Pixel(*doc, 0, 0), kBackgroundColor);
    EXPECT_EQ(Pixel(*doc, 155, 155), kBackgroundColor);  // no face is filled
    EXPECT_EQ(Pixel(*doc, 155, 5), kEdgeColor);
    EXPECT_EQ(Pixel(*doc, 5, 155), kEdgeColor);
    EXPECT_EQ(Pixel(*doc, 155, 305), kEdgeColor);
    for (auto [x, y] : {std::pair{5, 5}, {305, 5}, {5, 305}, {305, 305}}) {
        EXPECT_TRUE(Mark(*doc, x, y, kVertexColor)) << x << "," << y;
    }
    EXPECT_EQ(Pixel(*doc, 309, 5), kBackgroundColor);
    // The render ends with the zoom layout.
    EXPECT_EQ(r.view.zoomed_width, 312);
    EXPECT_EQ(r.view.offset_x, 59);
    EXPECT_EQ(r.rec.invalidations, 1);
}

TEST(RenderModel, SelectedVerticesAreRedAndLaterMarksCoverEarlierOnes) {
    auto doc = test::MakeCube();
    // Vertices 3 (1, 1, -1) and 7 (1, 1, 1) share the pixel (305, 5); 7 is drawn last.
    doc->vertex_selection[7] = 1;
    Rendered first(*doc);
    EXPECT_TRUE(Mark(*doc, 305, 5, kSelectedVertexColor));
    doc->vertex_selection[7] = 0;
    doc->vertex_selection[3] = 1;
    Rendered second(*doc);
    EXPECT_TRUE(Mark(*doc, 305, 5, kVertexColor));
}

// Two triangles side by side in the z = 0 plane: the left one faces the
// viewer of the front view, the right one faces away. Vertex 4 belongs only
// to the right one, vertex 5 to no face.
std::unique_ptr<Document> TwoFacings() {
    auto doc = NewDocument();
    doc->parts_count = 1;
    doc->total_vertex_count = 6;
    doc->total_face_count = 2;
    AllocateVertexArrays(*doc, 6);
    AllocateFaceArray(*doc, 2);
    const Vec3 p[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}};
    const Vec3 toward{0, 0, -1};
    const Vec3 away{0, 0, 1};
    const Vec3 n[6] = {toward, toward, toward, away, away, away};
    for (size_t k = 0; k < 6; ++k) {
        doc->vertices[k] = p[k];
        doc->normals[k] = n[k];
    }
    doc->faces[0] = {{0, 1, 2, -1}};
    doc->faces[1] = {{1, 3, 4, -1}};  // sum of facings: 1 - 1 - 1 < 0
    doc->vertex_offset[1] = 6;
    doc->face_offset[1] = 2;
    doc->corner_min[0] = doc->total_corner_min = {0, 0, 0};
    doc->corner_max[0] = doc->total_corner_max = {2, 1, 0};
    doc->center[0] = doc->total_center = {1, 0.5f, 0};
    return doc;
}

TEST(RenderModel, TwoSidedDrawsEveryFaceAndEveryVertex) {
    auto doc = TwoFacings();
    Rendered r(*doc);
    ASSERT_TRUE(r.ok);
    const uint8_t visible[6] = {1, 1, 1, 1, 1, 0};
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(doc->vertex_visible[k], visible[k]) << k;
    const ImagePoint lone = ImagePixel(*doc, ProjectVertex(*doc, doc->direction, 5));
    EXPECT_TRUE(Mark(*doc, lone.x, lone.y, kVertexColor));
}

TEST(RenderModel, OneSidedSkipsFacesTurnedAwayAndTheirOwnVertices) {
    auto doc = TwoFacings();
    doc->one_sided = 1;
    doc->vertex_selection[4] = 1;
    Rendered r(*doc);
    const uint8_t visible[6] = {1, 1, 1, 0, 0, 0};
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(doc->vertex_visible[k], visible[k]) << k;
    const auto at = [&](size_t k) { return ImagePixel(*doc, ProjectVertex(*doc, doc->direction, k)); };
    EXPECT_EQ(Pixel(*doc, at(4).x, at(4).y), kBackgroundColor);  // selected, but not drawn
    EXPECT_EQ(Pixel(*doc, at(5).x, at(5).y), kBackgroundColor);
    EXPECT_TRUE(Mark(*doc, at(1).x, at(1).y, kVertexColor));
    // The right triangle's hypotenuse from (2, 1) to (1, 0) is not drawn.
    const ImagePoint mid{(at(1).x + at(4).x) / 2, (at(1).y + at(4).y) / 2};
    EXPECT_EQ(Pixel(*doc, mid.x, mid.y), kBackgroundColor);

    // From behind the two triangles trade places.
    doc->direction = ViewDirection::Back;
    Rendered back(*doc);
    EXPECT_EQ(doc->vertex_visible[0], 0);
    EXPECT_EQ(doc->vertex_visible[4], 1);
    EXPECT_EQ(doc->vertex_visible[1], 1);
}

TEST(RenderModel, TriangleOutlineHasThreeSides) {
    auto doc = TwoFacings();
    doc->faces[1] = doc->faces[0];  // only the left triangle, twice
    Rendered r(*doc);
    const auto at = [&](size_t k) { return ImagePixel(*doc, ProjectVertex(*doc, doc->direction, k)); };
    const ImagePoint a = at(0), b = at(1), c = at(2);
    EXPECT_EQ(Pixel(*doc, (b.x + c.x) / 2, (b.y + c.y) / 2), kEdgeColor);  // the slanted side
    EXPECT_EQ(Pixel(*doc, (a.x + b.x) / 2, a.y), kEdgeColor);
    // No fourth side from the apex back to an unused (0, 0) point.
    EXPECT_EQ(Pixel(*doc, 2, 2), kBackgroundColor);
}

TEST(RenderModel, PartsChoiceDrawsOnlyThatPartsAtItsOwnFit) {
    auto doc = test::MakeTwoParts();
    doc->vertex_visible[0] = 7;  // left alone: parts 1 is not shown
    doc->parts_selection = 2;
    Rendered r(*doc);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(doc->fit_scale, 200.0f);
    EXPECT_EQ(doc->image.width, 212);
    EXPECT_EQ(doc->vertex_visible[0], 7);
    EXPECT_EQ(doc->vertex_visible[4], 1);
    EXPECT_TRUE(Mark(*doc, 5, 305, kVertexColor));    // (3, 0, 1)
    EXPECT_TRUE(Mark(*doc, 105, 5, kVertexColor));    // (3.5, 1.5, 1)
    EXPECT_TRUE(Mark(*doc, 205, 305, kVertexColor));  // (4, 0, 1)
}

TEST(RenderModel, EmptyModelGivesABackgroundImage) {
    auto doc = NewDocument();
    Rendered r(*doc);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(doc->image.width, 12);
    EXPECT_EQ(doc->image.height, 12);
    for (uint32_t p : doc->image.pixels) ASSERT_EQ(p, kBackgroundColor);
}

TEST(RenderModel, HugeCoordinatesAreClippedNotWalked) {
    auto doc = TwoFacings();
    doc->vertices[4] = {3.0e38f, -3.0e38f, 0};
    doc->vertices[5] = {-3.0e38f, 3.0e38f, 0};
    Rendered r(*doc);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(doc->vertex_visible[4], 1);
}

// A model of random faces over two parts: corners anywhere in the box, so
// long edges cross every band; some vertices far off the image or at
// coordinates near the float limit; random normals and selection.
std::unique_ptr<Document> RandomMesh(bool far_vertices) {
    std::mt19937 random(17);
    constexpr int32_t kVerts = 1500;
    constexpr int32_t kFaces = 2500;
    auto doc = NewDocument();
    doc->parts_count = 2;
    doc->total_vertex_count = 2 * kVerts;
    doc->total_face_count = 2 * kFaces;
    AllocateVertexArrays(*doc, 2 * kVerts);
    AllocateFaceArray(*doc, 2 * kFaces);
    std::uniform_real_distribution<float> coord(-1.0f, 1.0f);
    std::uniform_int_distribution<int32_t> corner(0, kVerts - 1);
    for (size_t k = 0; k < static_cast<size_t>(2 * kVerts); ++k) {
        doc->vertices[k] = {coord(random), coord(random), coord(random)};
        if (far_vertices && k % 97 == 0) doc->vertices[k] = {3.0e38f, -3.0e38f, 2.5e38f};
        if (far_vertices && k % 89 == 0) doc->vertices[k].x *= 40.0f;
        doc->normals[k] = {coord(random), coord(random), coord(random)};
        doc->vertex_selection[k] = random() % 3 == 0;
    }
    for (size_t f = 0; f < static_cast<size_t>(2 * kFaces); ++f) {
        doc->faces[f] = {{corner(random), corner(random), corner(random), f % 5 == 0 ? -1 : corner(random)}};
    }
    for (int p = 0; p < 2; ++p) {
        doc->vertex_offset[p + 1] = kVerts * (p + 1);
        doc->face_offset[p + 1] = kFaces * (p + 1);
        doc->corner_min[p] = {-1, -1, -1};
        doc->corner_max[p] = {1, 1, 1};
    }
    doc->total_corner_min = {-1, -1, -1};
    doc->total_corner_max = {1, 1, 1};
    return doc;
}

std::unique_ptr<Document> RobotSample() {
    const std::vector<uint8_t> bytes = test::ReadBytes(test::SamplePath("robot.ykt"));
    auto doc = NewDocument();
    if (!test::ReadText(*doc, std::string(bytes.begin(), bytes.end()))) return nullptr;
    for (size_t k = 0; k < doc->vertex_selection.size(); k += 3) doc->vertex_selection[k] = 1;
    return doc;
}

std::unique_ptr<Document> DenseGrid() {
    auto doc = test::MakeGrid(420, 330);  // about one quad per pixel: sides of zero and one step
    for (size_t k = 0; k < doc->vertex_selection.size(); k += 7) doc->vertex_selection[k] = 1;
    return doc;
}

// The image and the vertex_visible flags are the same whatever the number of
// threads, for every direction, both sidednesses and parts choices.
TEST(RenderModel, EveryThreadCountDrawsTheSameImage) {
    const struct {
        const char* name;
        std::unique_ptr<Document> (*make)();
    } models[] = {
        {"random mesh", [] { return RandomMesh(false); }},
        {"random mesh with far vertices", [] { return RandomMesh(true); }},
        {"robot sample", RobotSample},
        {"dense grid", DenseGrid},
    };
    for (const auto& model : models) {
        auto doc = model.make();
        ASSERT_TRUE(doc) << model.name;
        for (int direction : {0, 3, 4}) {
            for (int one_sided = 0; one_sided < 2; ++one_sided) {
                for (int choice : {0, 1, 2}) {
                    if (choice > doc->parts_count) continue;
                    doc->direction = static_cast<ViewDirection>(direction);
                    doc->one_sided = static_cast<uint8_t>(one_sided);
                    doc->parts_selection = choice;
                    std::vector<uint32_t> image;
                    std::vector<uint8_t> visible;
                    for (size_t threads = 1; threads <= 4; ++threads) {
                        ViewState view;
                        test::RecordingHost rec;
                        const ViewHost host = rec.host();
                        InitScrollBars(view, host);
                        ResizeView(view, host, 430 + direction, 330);
                        RenderScratch scratch;
                        scratch.threads = threads;
                        ASSERT_TRUE(RenderModel(*doc, view, scratch, host));
                        const std::vector<uint8_t> flags(doc->vertex_visible.begin(), doc->vertex_visible.end());
                        if (threads == 1) {
                            image = doc->image.pixels;
                            visible = flags;
                            continue;
                        }
                        const std::string where = std::string(model.name) + ", direction " + std::to_string(direction) +
                                                  ", one-sided " + std::to_string(one_sided) + ", parts choice " +
                                                  std::to_string(choice) + ", threads " + std::to_string(threads);
                        ASSERT_TRUE(doc->image.pixels == image) << where;
                        ASSERT_TRUE(flags == visible) << where;
                    }
                }
            }
        }
    }
}

// After a change of the selection alone the marks are drawn again over the
// last image; after any other change, the whole model. Both give the image a
// whole render gives. A background pixel painted over shows which ran.
TEST(RedrawMarks, DrawsWhatAWholeRenderDraws) {
    const struct {
        const char* change;
        bool marks_only;
        void (*apply)(Document&, ViewState&, const ViewHost&);
    } rows[] = {
        {"selection", true, [](Document&, ViewState&, const ViewHost&) {}},
        {"direction", false, [](Document& d, ViewState&, const ViewHost&) { d.direction = ViewDirection::Top; }},
        {"parts choice", false, [](Document& d, ViewState&, const ViewHost&) { d.parts_selection = 2; }},
        {"sidedness", false, [](Document& d, ViewState&, const ViewHost&) { d.one_sided = 0; }},
        {"view size", false, [](Document&, ViewState& v, const ViewHost& h) { ResizeView(v, h, 500, 300); }},
    };
    for (const auto& row : rows) {
        auto doc = RandomMesh(false);
        doc->one_sided = 1;
        Rendered r(*doc);
        ASSERT_TRUE(r.ok);
        const size_t blank = static_cast<size_t>(
            std::find(doc->image.pixels.begin(), doc->image.pixels.end(), kBackgroundColor) - doc->image.pixels.begin());
        doc->image.pixels.at(blank) = kEdgeColor;
        const ViewHost host = r.rec.host();
        row.apply(*doc, r.view, host);
        for (size_t k = 0; k < doc->vertex_selection.size(); k += 2) doc->vertex_selection[k] ^= 1;
        r.scratch.threads = 2;
        ASSERT_TRUE(RedrawMarks(*doc, r.view, r.scratch, host));
        const bool kept = blank < doc->image.pixels.size() && doc->image.pixels[blank] == kEdgeColor;
        EXPECT_EQ(kept, row.marks_only) << row.change;
        std::vector<uint32_t> redrawn = doc->image.pixels;
        if (kept) redrawn[blank] = kBackgroundColor;
        RenderScratch fresh;
        ASSERT_TRUE(RenderModel(*doc, r.view, fresh, host));
        EXPECT_TRUE(redrawn == doc->image.pixels) << row.change;
    }
}

}  // namespace
}  // namespace torvel
