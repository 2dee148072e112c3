#include <gtest/gtest.h>

#include "test_support.h"
#include "view/rubber_band.h"

namespace torvel {
namespace {

// A 312 x 312 image shown at 300 % in a 430 x 330 client, scrolled to (100, 50).
struct Dragging : ::testing::Test {
    std::unique_ptr<Document> doc = NewDocument();
    ViewState view;
    RubberBand band;
    void SetUp() override {
        doc->zoom_percent = 300;
        view.client_width = 430;
        view.client_height = 330;
        view.zoomed_width = 936;
        view.zoomed_height = 936;
        view.horizontal.scroll = 100;
        view.vertical.scroll = 50;
    }
};

TEST_F(Dragging, BandIsNormalisedSnappedAndInContentPixels) {
    BeginPress(*doc, band, 40, 30);
    UpdateRubberBand(*doc, view, band, 10, 100, false);  // left of and below the anchor
    // x: 10 + 100 = 110 snaps to 111, 40 + 100 = 140 to 141; y: 80 to 81, 150 to 150.
    EXPECT_EQ(doc->band.left, 111);
    EXPECT_EQ(doc->band.right, 141);
    EXPECT_EQ(doc->band.top, 81);
    EXPECT_EQ(doc->band.bottom, 150);
    EXPECT_EQ(doc->pick.left, 37);
    EXPECT_EQ(doc->pick.right, 47);
    EXPECT_EQ(doc->pick.top, 27);
    EXPECT_EQ(doc->pick.bottom, 50);
}

TEST_F(Dragging, ShiftMakesASquareAtTheAnchorsCorner) {
    BeginPress(*doc, band, 100, 100);
    UpdateRubberBand(*doc, view, band, 40, 130, true);  // wider than tall, leftwards
    EXPECT_EQ(doc->band.right - doc->band.left, doc->band.bottom - doc->band.top);
    EXPECT_EQ(doc->band.right, SnapToZoomGrid(*doc, 100 + 100));
}

TEST_F(Dragging, PositionsOutsideTheImageAreHeldAtItsEdge) {
    view.zoomed_width = 200;  // content narrower than the client, centred at 115
    view.offset_x = 115;
    view.horizontal.scroll = 0;
    doc->zoom_percent = 100;
    BeginPress(*doc, band, 5, 10);
    UpdateRubberBand(*doc, view, band, 900, -40, false);
    EXPECT_EQ(band.anchor.x, 115);
    EXPECT_EQ(doc->band.left, 115);
    EXPECT_EQ(doc->band.right, 315);
    EXPECT_EQ(doc->band.top, 50);  // the mouse above the window, held at the top
}

TEST_F(Dragging, ClickBecomesASquareOfTheZoomsPixelSize) {
    BeginPress(*doc, band, 40, 30);
    FinishPress(*doc, view, band);
    EXPECT_EQ(doc->band.left, 40 - 3 + 100);
    EXPECT_EQ(doc->band.bottom, 30 + 3 + 50);
    EXPECT_EQ(doc->pick.left, 45);
    EXPECT_EQ(doc->pick.right, 47);
    EndPress(*doc, band);
    EXPECT_FALSE(Pressed(band));
    EXPECT_EQ(doc->band.right, 0);
    EXPECT_EQ(doc->pick.bottom, 0);
}

}  // namespace
}  // namespace torvel
