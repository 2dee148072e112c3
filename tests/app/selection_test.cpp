// Selecting vertices with the left button in the view: clicks and their
// reach at each zoom, bands in every direction, Shift squaring, deselect
// mode, a single parts shown, one-sided display, and presses that never
// started in the view.

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app_window.h"
#include "resources/resource_ids.h"
#include "view_mouse.h"

namespace torvel::app::test {
namespace {

using Flags = std::vector<int>;

// A rectangle's edges, left, top, right, bottom, for comparing and printing.
template <typename Rectangle>
std::vector<int32_t> Edges(const Rectangle& r) {
    return {r.left, r.top, r.right, r.bottom};
}

bool NoBand(const Document& d) {
    const std::vector<int32_t> zero(4, 0);
    return Edges(d.band) == zero && Edges(d.pick) == zero;
}

// Clicks `reach` and `reach` + 1 client pixels beside the magnified pixel
// of vertex g, in each of the four directions: only the nearer clicks
// select it, and nothing else.
void ExpectClickReach(int32_t g, int reach) {
    const int32_t count = TheShell().doc->total_vertex_count;
    for (int d : {reach, reach + 1}) {
        const bool selects = d <= reach;
        for (int side = 0; side < 4; ++side) {
            // Taken again before every click: each pick redraws the model,
            // and the first redraw after a zoom change may move the scroll
            // positions by a pixel.
            const POINT first = VertexFirstPixel(g);
            const POINT last = VertexLastPixel(g);
            const POINT clicks[] = {{first.x - d, first.y}, {last.x + d, first.y}, {first.x, first.y - d},
                                    {first.x, last.y + d}};
            const POINT at = clicks[side];
            SCOPED_TRACE(testing::Message() << "click at (" << at.x << ", " << at.y << "), " << d << " beside");
            ClickAt(at);
            EXPECT_EQ(SelectionFlags(), selects ? OnlySelected(g, count) : Flags(static_cast<size_t>(count), 0));
            EXPECT_EQ(TheShell().doc->selection_empty == 0, selects);
            EXPECT_TRUE(NoBand(*TheShell().doc));
            Command(IDM_EDIT_DESELECT_ALL);
        }
    }
}

// Brings vertex g as near to the middle of the client area as the scroll
// ranges allow.
void ScrollToVertex(int32_t g) {
    const ViewState& v = TheShell().view_state;
    const POINT at = VertexFirstPixel(g);
    ScrollViewTo(std::max(0, static_cast<int>(at.x) + v.horizontal.scroll - v.client_width / 2),
                 std::max(0, static_cast<int>(at.y) + v.vertical.scroll - v.client_height / 2));
}

TEST_F(MainWindowTest, AClickReachesOneClientPixelPerHundredPercentOfZoom) {
    HandOver(Sample("two-parts.ykt"));
    ASSERT_EQ(doc().zoom_percent, 100);
    {
        SCOPED_TRACE("100 %");
        ExpectClickReach(2, 1);  // the plate's top right corner
        ExpectClickReach(6, 1);  // the fin's tip
    }

    SetZoomText(L"250");
    ASSERT_EQ(doc().zoom_percent, 250);
    ScrollToVertex(1);
    // The click is taken with the scroll positions: both must be in play.
    ASSERT_GT(shell().view_state.horizontal.scroll, 0);
    ASSERT_GT(shell().view_state.vertical.scroll, 0);
    {
        SCOPED_TRACE("250 %");
        ExpectClickReach(1, 2);
    }
}

TEST_F(MainWindowTest, BelowHundredPercentAClickReachesNoFurtherThanItsOwnPixel) {
    HandOver(Sample("two-parts.ykt"));
    SetZoomText(L"50");
    ASSERT_EQ(doc().zoom_percent, 50);
    // At 50 % one client pixel shows two image pixels and the click picks
    // the first of them: take a vertex that lies on such a pixel.
    int32_t g = 0;
    while (g < doc().total_vertex_count &&
           (VertexImagePixel(g).x % 2 != 0 || VertexImagePixel(g).y % 2 != 0)) {
        ++g;
    }
    ASSERT_LT(g, doc().total_vertex_count) << "no vertex on an even image pixel";
    ExpectClickReach(g, 0);
}

TEST_F(MainWindowTest, EveryDragDirectionGivesTheSameBandAndSelection) {
    HandOver(Sample("two-parts.ykt"));
    // Around the plate's top edge: vertices 3 (left) and 2 (right).
    const POINT top_left = Offset(VertexFirstPixel(3), -4, -4);
    const POINT bottom_right = Offset(VertexLastPixel(2), 4, 4);
    const POINT top_right{bottom_right.x, top_left.y};
    const POINT bottom_left{top_left.x, bottom_right.y};
    const struct {
        const char* name;
        POINT from, to;
    } drags[] = {
        {"left to right, downwards", top_left, bottom_right},
        {"right to left, upwards", bottom_right, top_left},
        {"left to right, upwards", bottom_left, top_right},
        {"right to left, downwards", top_right, bottom_left},
    };
    std::vector<int32_t> first_band;
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.name);
        PressAt(drag.from);
        EXPECT_EQ(GetCapture(), shell().view);
        MoveTo(drag.to);
        const ContentRect band = doc().band;
        EXPECT_LE(band.left, band.right);
        EXPECT_LE(band.top, band.bottom);
        if (first_band.empty()) first_band = Edges(band);
        EXPECT_EQ(Edges(band), first_band);
        ReleaseAt(drag.to);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(SelectionFlags(), (Flags{0, 0, 1, 1, 0, 0, 0}));
        EXPECT_TRUE(NoBand(doc()));
        Command(IDM_EDIT_DESELECT_ALL);
    }

    // With the mouse captured, a drag past the view's top-left corner
    // arrives as negative positions: the band stops at the image's edge.
    const POINT inside = Offset(VertexLastPixel(3), 6, 6);
    PressAt(inside);
    MoveTo({-50, -50});
    EXPECT_EQ(doc().band.left, shell().view_state.offset_x);
    EXPECT_EQ(doc().band.top, shell().view_state.offset_y);
    EXPECT_EQ(doc().band.right, inside.x);
    EXPECT_EQ(doc().band.bottom, inside.y);
    ReleaseAt({-50, -50});
    EXPECT_EQ(SelectionFlags(), OnlySelected(3, 7));
}

TEST_F(MainWindowTest, ShiftSquaresTheBandOnTheAnchorsSide) {
    HandOver(Sample("two-parts.ykt"));
    ASSERT_EQ(doc().zoom_percent, 100);
    const ViewState& v = shell().view_state;
    ASSERT_EQ(v.horizontal.scroll, 0);
    ASSERT_EQ(v.vertical.scroll, 0);
    // The middle of the image, with room for the drags all round.
    const POINT a{v.offset_x + v.zoomed_width / 2, v.offset_y + v.zoomed_height / 2};
    ASSERT_GT(v.zoomed_width, 220);
    ASSERT_GT(v.zoomed_height, 220);

    const struct {
        const char* name;
        POINT to;
        ContentRect square;
    } drags[] = {
        {"100 x 40 to the lower right", {a.x + 100, a.y + 40}, {a.x, a.y, a.x + 40, a.y + 40}},
        {"100 x 40 to the lower left", {a.x - 100, a.y + 40}, {a.x - 40, a.y, a.x, a.y + 40}},
        {"40 x 100 to the upper right", {a.x + 40, a.y - 100}, {a.x, a.y - 40, a.x + 40, a.y}},
        {"40 x 100 to the lower left", {a.x - 40, a.y + 100}, {a.x - 40, a.y, a.x, a.y + 40}},
    };
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.name);
        PressAt(a);
        MoveTo(drag.to, true);
        EXPECT_EQ(Edges(doc().band), Edges(drag.square));
        MoveTo(drag.to, false);  // Shift let go during the drag: the band is the drag again
        EXPECT_EQ(doc().band.right - doc().band.left, std::abs(drag.to.x - a.x));
        EXPECT_EQ(doc().band.bottom - doc().band.top, std::abs(drag.to.y - a.y));
        ReleaseAt(drag.to);
        Command(IDM_EDIT_DESELECT_ALL);
    }

    // The release picks with the squared band: a 100 x 40 drag to the lower
    // left that starts 50 pixels right of the fin's tip covers the tip; the
    // square on its right-hand side does not.
    const POINT tip = VertexFirstPixel(6);
    const POINT from = Offset(tip, 50, -20);
    const POINT to = Offset(tip, -50, 20);
    ASSERT_LT(from.x, v.offset_x + v.zoomed_width) << "no room right of the tip";
    DragInView(from, to, true);
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    EXPECT_TRUE(doc().selection_empty);
    DragInView(from, to, false);
    EXPECT_EQ(SelectionFlags(), OnlySelected(6, 7));
}

TEST_F(MainWindowTest, DeselectModeClearsWhatTheBandCoversAndTheEditItemsFollowTheRest) {
    HandOver(Sample("two-parts.ykt"));
    Command(IDM_EDIT_SELECT_ALL);
    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_DESELECT_MODE);
    ASSERT_EQ(doc().deselect_mode, 1);

    // The plate's left edge: vertices 0 and 3.
    DragInView(Offset(VertexLastPixel(0), 4, 4), Offset(VertexFirstPixel(3), -4, -4));
    EXPECT_EQ(SelectionFlags(), (Flags{0, 1, 1, 0, 1, 1, 1}));
    ExpectEditingAvailable(true);

    // A click clears one more; one still selected keeps the editing on.
    ClickAt(VertexFirstPixel(1));
    ClickAt(VertexFirstPixel(2));
    ClickAt(VertexFirstPixel(4));
    ClickAt(VertexFirstPixel(5));
    EXPECT_EQ(SelectionFlags(), OnlySelected(6, 7));
    ExpectEditingAvailable(true);

    // A click in deselect mode on an unselected vertex selects nothing.
    ClickAt(VertexFirstPixel(0));
    EXPECT_EQ(SelectionFlags(), OnlySelected(6, 7));

    ClickAt(VertexFirstPixel(6));
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    ExpectEditingAvailable(false);
}

TEST_F(MainWindowTest, WithOnePartsShownABandChangesOnlyThatPartsButTheButtonLooksAtTheWholeModel) {
    HandOver(Sample("robot.ykt"));
    ASSERT_EQ(doc().total_vertex_count, 16);  // body 0..7, arm 8..15
    const Flags body{1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    const Flags arm{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1};

    // Shown alone, the body fills the view and the arm's vertices at the
    // body's right edge lie inside the band; they stay unselected.
    ChoosePartsLine(1);
    RECT client{};
    GetClientRect(shell().view, &client);
    PressAt({1, 1});
    MoveTo({client.right - 2, client.bottom - 2});
    const POINT arm_vertex = VertexImagePixel(8);
    const ImageRect pick = doc().pick;
    EXPECT_TRUE(arm_vertex.x >= pick.left && arm_vertex.x <= pick.right && arm_vertex.y >= pick.top &&
                arm_vertex.y <= pick.bottom)
        << "the band does not cover where vertex 8 lies";
    ReleaseAt({client.right - 2, client.bottom - 2});
    EXPECT_EQ(SelectionFlags(), body);
    ExpectEditingAvailable(true);

    // The arm selected, the body shown and cleared: the arm keeps its flags,
    // so the editing stays available.
    Command(IDM_EDIT_DESELECT_ALL);
    ChoosePartsLine(2);
    Command(IDM_EDIT_SELECT_ALL);
    ChoosePartsLine(1);
    Command(IDM_EDIT_SELECT_ALL);  // adds the body
    ASSERT_EQ(SelectionFlags(), Flags(16, 1));
    Command(IDM_EDIT_DESELECT_MODE);
    DragOverTheWholeView();
    EXPECT_EQ(SelectionFlags(), arm);
    ExpectEditingAvailable(true);

    // Clearing the arm, shown alone, leaves nothing anywhere.
    ChoosePartsLine(2);
    DragOverTheWholeView();
    EXPECT_EQ(SelectionFlags(), Flags(16, 0));
    ExpectEditingAvailable(false);
}

TEST_F(MainWindowTest, OneSidedDisplayStillSelectsTheVerticesOfFacesTurnedAway) {
    HandOver(Sample("two-parts.ykt"));
    ClickToolbarButton(shell().edit_toolbar, IDM_EDIT_ONE_SIDED);
    ASSERT_EQ(doc().one_sided, 1);
    // Seen from the front the fin faces away: its marks are not drawn.
    EXPECT_EQ(doc().vertex_visible[6], 0);
    EXPECT_EQ(doc().vertex_visible[2], 1);

    ClickAt(VertexFirstPixel(6));
    EXPECT_EQ(SelectionFlags(), OnlySelected(6, 7));
    DragOverTheWholeView();
    EXPECT_EQ(SelectionFlags(), Flags(7, 1));
    ExpectEditingAvailable(true);

    Command(IDM_EDIT_DESELECT_MODE);
    ClickAt(VertexFirstPixel(5));
    EXPECT_EQ(doc().vertex_selection[5], 0);
}

TEST_F(MainWindowTest, AReleaseWithoutAPressInTheViewSelectsNothing) {
    HandOver(Sample("two-parts.ykt"));
    // The button went down elsewhere and comes up over vertex 2.
    const POINT vertex = VertexFirstPixel(2);
    MoveTo(Offset(vertex, -30, -30));
    MoveTo(vertex);
    EXPECT_TRUE(NoBand(doc()));
    ReleaseAt(vertex);
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    EXPECT_TRUE(NoBand(doc()));
    ExpectEditingAvailable(false);

    // A finished drag leaves nothing behind for a later stray release.
    DragInView(Offset(vertex, -4, -4), Offset(vertex, 4, 4));
    ASSERT_EQ(SelectionFlags(), OnlySelected(2, 7));
    Command(IDM_EDIT_DESELECT_ALL);
    ReleaseAt(vertex);
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    ExpectEditingAvailable(false);
}

TEST_F(MainWindowTest, WithoutAModelADragInTheViewLeavesNoBandAndShowsNoModel) {
    ReopenMainWindow();
    ASSERT_FALSE(ModelShown(doc()));
    PressAt({20, 20});
    EXPECT_NE(GetCapture(), shell().view);
    MoveTo({120, 90});
    EXPECT_TRUE(NoBand(doc()));
    ReleaseAt({120, 90});
    EXPECT_TRUE(NoBand(doc()));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(ModelShown(doc()));
    EXPECT_TRUE(doc().selection_empty);
    EXPECT_FALSE(ButtonEnabled(shell().edit_toolbar, IDM_EDIT_SPLIT_PARTS));

    // A model that arrives while the button is down is not picked from by
    // the release of that press.
    PressAt({20, 20});
    HandOver(Sample("two-parts.ykt"));
    ReleaseAt(VertexFirstPixel(2));
    EXPECT_EQ(SelectionFlags(), Flags(7, 0));
    EXPECT_TRUE(NoBand(doc()));
}

}  // namespace
}  // namespace torvel::app::test
