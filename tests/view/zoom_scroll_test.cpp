#include <gtest/gtest.h>

#include "recording_host.h"
#include "test_support.h"
#include "view/view_state.h"

namespace torvel {
namespace {

using test::RecordingHost;

// The cube of the fit example: a 312 x 312 image in a 430 x 330 client,
// shown at 100 %.
struct ZoomedCube : ::testing::Test {
    std::unique_ptr<Document> doc = test::MakeCube();
    ViewState view;
    RecordingHost rec;
    ViewHost host = rec.host();

    void SetUp() override {
        InitScrollBars(view, host);
        ResizeView(view, host, 430, 330);
        FitView(*doc, view, 0);
        ResetZoom(view, host);
        ApplyZoom(*doc, view, host);
        rec.scrolls.clear();
        rec.invalidations = 0;
    }

    void Zoom(const char* text) {
        rec.zoom = std::string(text);
        ApplyZoom(*doc, view, host);
    }
};

TEST_F(ZoomedCube, AtOneHundredPercentTheImageIsCentred) {
    EXPECT_EQ(view.zoomed_width, 312);
    EXPECT_EQ(view.offset_x, 59);
    EXPECT_EQ(view.offset_y, 9);
    EXPECT_EQ(view.horizontal.scroll, 0);
    EXPECT_EQ(view.horizontal.range_max, 311);
    EXPECT_EQ(view.horizontal.page, 430);
}

TEST_F(ZoomedCube, ZoomingInFromAFittingImageStartsInTheMiddle) {
    Zoom("300");
    EXPECT_EQ(view.zoomed_width, 936);
    EXPECT_EQ(view.zoomed_height, 936);
    EXPECT_EQ(view.horizontal.scroll, (935 - 430) / 2);
    EXPECT_EQ(view.vertical.scroll, (935 - 330) / 2);
    EXPECT_EQ(view.offset_x, 0);
    EXPECT_EQ(view.offset_y, 0);
    // The window content follows in one move, and the view is repainted
    // once with redrawing resumed.
    ASSERT_EQ(rec.scrolls.size(), 1u);
    EXPECT_EQ(rec.scrolls[0].dx, -252);
    EXPECT_EQ(rec.scrolls[0].dy, -302);
    EXPECT_EQ(rec.invalidations, 1);
    EXPECT_EQ(rec.redraw_depth, 0);
}

TEST_F(ZoomedCube, ZoomChangesKeepTheRelativePlace) {
    Zoom("300");
    ScrollRequest(view, host, Axis::Horizontal, ScrollAction::ToStart, 0);
    Zoom("500");
    EXPECT_EQ(view.horizontal.scroll, 0);
    EXPECT_EQ(view.vertical.scroll, static_cast<int32_t>((1559.0 - 330) * (302.0 / (935 - 330))));
    ScrollRequest(view, host, Axis::Horizontal, ScrollAction::ToEnd, 0);
    EXPECT_EQ(view.horizontal.scroll, 1560 - 430);
    Zoom("200");
    EXPECT_EQ(view.horizontal.scroll, 623 - 430);
}

TEST_F(ZoomedCube, PageUpNearTheStartStopsAtZero) {
    Zoom("300");
    ScrollRequest(view, host, Axis::Horizontal, ScrollAction::ThumbTo, 100);
    ASSERT_EQ(view.horizontal.scroll, 100);
    rec.scrolls.clear();
    ScrollRequest(view, host, Axis::Horizontal, ScrollAction::PageBack, 0);
    EXPECT_EQ(view.horizontal.scroll, 0);
    ASSERT_EQ(rec.scrolls.size(), 1u);
    EXPECT_EQ(rec.scrolls[0].dx, 100);
    EXPECT_EQ(rec.scrolls[0].dy, 0);
    EXPECT_FALSE(rec.scrolls[0].invalidate_uncovered);
    ScrollRequest(view, host, Axis::Horizontal, ScrollAction::LineForward, 0);
    EXPECT_EQ(view.horizontal.scroll, 1);
    EXPECT_EQ(view.horizontal.scroll_prev, 1);
}

TEST_F(ZoomedCube, RequestsStayInRangeAndStillOnesDoNotRepaint) {
    Zoom("300");
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::ToEnd, 0);
    EXPECT_EQ(view.vertical.scroll, 936 - 330);
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::PageForward, 0);
    EXPECT_EQ(view.vertical.scroll, 936 - 330);
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::ThumbTo, 0x1FFFF);  // 16-bit thumb
    EXPECT_EQ(view.vertical.scroll, 936 - 330);

    ScrollRequest(view, host, Axis::Vertical, ScrollAction::ToStart, 0);
    rec.invalidations = 0;
    rec.scrolls.clear();
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::LineBack, 0);
    ScrollRequest(view, host, Axis::Vertical, ScrollAction::None, 0);
    EXPECT_EQ(view.vertical.scroll, 0);
    EXPECT_EQ(rec.invalidations, 0);
    EXPECT_TRUE(rec.scrolls.empty());
}

TEST_F(ZoomedCube, ResizeThatMakesTheContentFitResetsTheScroll) {
    Zoom("300");
    rec.scrolls.clear();
    ResizeView(view, host, 1000, 1000);
    EXPECT_EQ(view.horizontal.scroll, 0);
    EXPECT_EQ(view.vertical.scroll, 0);
    ASSERT_EQ(rec.scrolls.size(), 1u);
    EXPECT_EQ(rec.scrolls[0].dx, 252);
    EXPECT_EQ(rec.scrolls[0].dy, 302);
    EXPECT_TRUE(rec.scrolls[0].invalidate_uncovered);
    // Centring waits for the next zoom layout.
    EXPECT_EQ(view.offset_x, 0);
    ApplyZoom(*doc, view, host);
    EXPECT_EQ(view.offset_x, 32);
    EXPECT_EQ(view.offset_y, 32);
}

TEST_F(ZoomedCube, EmptyClientSizeIsStoredButLeavesTheBars) {
    Zoom("300");
    const ScrollAxis before = view.horizontal;
    ResizeView(view, host, 0, 200);
    EXPECT_EQ(view.client_width, 0);
    EXPECT_EQ(view.client_height, 200);
    EXPECT_EQ(view.horizontal.page, before.page);
    EXPECT_EQ(view.horizontal.scroll, before.scroll);
}

TEST_F(ZoomedCube, ZoomTextThatReadsAsZeroCountsAsOnePercent) {
    Zoom("");
    EXPECT_EQ(doc->zoom_percent, 1);
    EXPECT_EQ(view.zoomed_width, 3);
    Zoom("0");
    EXPECT_EQ(doc->zoom_percent, 1);
}

TEST(ParseZoomText, ReadsTheLeadingNumberOfAtMostSevenCharacters) {
    EXPECT_EQ(ParseZoomText("250"), 250);
    EXPECT_EQ(ParseZoomText("400%"), 400);
    EXPECT_EQ(ParseZoomText("12345678"), 1234567);
    EXPECT_EQ(ParseZoomText("x100"), 1);
    EXPECT_EQ(ParseZoomText("000"), 1);
}

TEST(SnapToZoomGrid, MovesOntoMagnifiedPixelBoundaries) {
    auto doc = NewDocument();
    doc->zoom_percent = 250;
    const int32_t at250[] = {0, 0, 0, 2, 2, 5, 5, 5, 7, 7, 10, 10};
    for (int32_t c = 0; c < 12; ++c) EXPECT_EQ(SnapToZoomGrid(*doc, c), at250[c]) << c;
    doc->zoom_percent = 300;
    const int32_t at300[] = {0, 0, 3, 3, 3, 6, 6, 6, 9, 9, 9, 12};
    for (int32_t c = 0; c < 12; ++c) EXPECT_EQ(SnapToZoomGrid(*doc, c), at300[c]) << c;
    for (int32_t zoom : {100, 50, 1, 0}) {
        doc->zoom_percent = zoom;
        for (int32_t c : {0, 1, 7, 123, -5}) EXPECT_EQ(SnapToZoomGrid(*doc, c), c) << zoom << " " << c;
    }
}

TEST(ContentToImage, UndoesOffsetAndMagnificationTowardZero) {
    auto doc = NewDocument();
    doc->zoom_percent = 250;
    ViewState view;
    view.offset_x = 59;
    view.offset_y = 9;
    const ImageRect r = ContentToImage(*doc, view, {59 + 25, 9 + 26, 58, 9 + 1000});
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 0);  // -0.4 truncates to 0
    EXPECT_EQ(r.bottom, 400);
}

}  // namespace
}  // namespace torvel
