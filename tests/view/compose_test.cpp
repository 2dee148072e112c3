#include <gtest/gtest.h>

#include "recording_host.h"
#include "test_support.h"
#include "view/raster.h"
#include "view/render.h"

namespace torvel {
namespace {

struct CubeView : ::testing::Test {
    std::unique_ptr<Document> doc = test::MakeCube();
    ViewState view;
    test::RecordingHost rec;
    ViewHost host = rec.host();
    RenderScratch scratch;
    ViewPicture picture;

    void Show(const char* zoom) {
        rec.zoom = zoom;
        InitScrollBars(view, host);
        ResizeView(view, host, 430, 330);
        ASSERT_TRUE(RenderModel(*doc, view, scratch, host));
        ComposeView(*doc, view, picture);
        ASSERT_EQ(picture.width, 430);
        ASSERT_EQ(picture.height, 330);
    }
    uint32_t At(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
            ADD_FAILURE() << "(" << x << ", " << y << ") lies outside the picture";
            return 0;
        }
        return picture.pixels[static_cast<size_t>(y) * picture.width + x]; }
    int Count(uint32_t color) const {
        int n = 0;
        for (uint32_t p : picture.pixels) n += p == color;
        return n;
    }
};

TEST_F(CubeView, WithoutAModelTheViewIsWhite) {
    view.client_width = 40;
    view.client_height = 30;
    ComposeView(*doc, view, picture);
    ASSERT_EQ(picture.pixels.size(), 1200u);
    EXPECT_EQ(Count(kEmptyViewColor), 1200);
}

TEST_F(CubeView, AtOneHundredPercentTheImageSitsCentredOnTheBackground) {
    Show("100");
    EXPECT_EQ(At(0, 0), kBackgroundColor);
    EXPECT_EQ(At(429, 329), kBackgroundColor);
    EXPECT_EQ(At(59 + 305, 9 + 5), kVertexColor);
    EXPECT_EQ(At(59 + 155, 9 + 5), kEdgeColor);
    EXPECT_EQ(Count(kBandColor), 0);
}

TEST_F(CubeView, MagnifiedPixelsBecomeBlocksShiftedByTheScroll) {
    Show("300");
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::ToStart, 0);
    ComposeView(*doc, view, picture);
    const int32_t hs = view.horizontal.scroll;
    const int32_t vs = view.vertical.scroll;
    // Image pixel (155, 5) lies on the top edge; at 300 % it covers content
    // pixels 465..467 by 15..17.
    ASSERT_EQ(hs, 252);
    ASSERT_EQ(vs, 0);
    for (int32_t dy = 0; dy < 3; ++dy) {
        for (int32_t dx = 0; dx < 3; ++dx) EXPECT_EQ(At(465 - hs + dx, 15 - vs + dy), kEdgeColor);
    }
    EXPECT_EQ(At(465 - hs, 18 - vs), kBackgroundColor);
}

TEST_F(CubeView, BandOutlineLiesOnePixelInside) {
    doc->band = {100, 50, 120, 80};
    Show("100");
    EXPECT_EQ(At(101, 51), kBandColor);
    EXPECT_EQ(At(119, 79), kBandColor);
    EXPECT_EQ(At(101, 65), kBandColor);
    EXPECT_EQ(At(110, 51), kBandColor);
    EXPECT_NE(At(100, 50), kBandColor);
    EXPECT_NE(At(110, 65), kBandColor);
    EXPECT_EQ(Count(kBandColor), 2 * 19 + 2 * 27);
}

TEST_F(CubeView, TinyZoomAndAnEmptyClientDoNotBreak) {
    Show("1");
    EXPECT_EQ(view.zoomed_width, 3);
    EXPECT_EQ(Count(kBackgroundColor) + Count(kEdgeColor) + Count(kVertexColor), 430 * 330);
    view.client_width = 0;
    ComposeView(*doc, view, picture);
    EXPECT_TRUE(picture.pixels.empty());
}

}  // namespace
}  // namespace torvel
