// The render of the ModelImage, shared out between threads in three steps,
// each ending when all its shares have: the vertices are projected, and the
// image filled with the background, by ranges of vertices and rows; the
// outlines are drawn by ranges of faces; the marks by bands of image rows.
// All outlines have one colour and come before every mark, so where their
// pixels lie is all that counts, whichever thread draws them; marks of
// different colours may cover each other, so each pixel's marks are drawn
// by one thread in vertex order. The image is therefore the same bit for bit
// whatever the number of threads.

#include <algorithm>
#include <atomic>
#include <iterator>
#include <new>

#include "model/vertex_arrays.h"
#include "platform/work_shares.h"
#include "view/raster.h"
#include "view/render.h"

namespace torvel {

namespace {

// Below this many faces and vertices together one thread draws the model
// as soon as the pool does (thread-thresholds, quiet machine, 1,200 x 900:
// a grid of 65,536 vertices and as many quads took 0.78 of the time on two
// threads natively and the same under Wine, where smaller grids took up to
// twice as long; 131,072 vertices 0.66 and 0.67).
constexpr size_t kThreadedWork = 131072;

// Projecting and outlining are cut into this many pieces per thread, which
// the threads take one by one: a thread that starts late, on a busy
// machine, leaves its pieces to the others instead of holding them up.
constexpr size_t kPiecesPerThread = 4;

// The shown parts, as the range [first, end) of parts indices.
struct ShownParts {
    int first = 0;
    int end = 0;
};

ShownParts ShownPartsOf(int choice, int parts_count) {
    if (choice == 0) return {0, parts_count};
    if (choice >= 1 && choice <= parts_count) return {choice - 1, choice};
    return {};
}

// Share k of n of the range [begin, end).
size_t ShareBegin(size_t begin, size_t end, size_t k, size_t n) {
    return begin + (end - begin) * k / n;
}

// What every share of a render reads.
struct RenderJob {
    Document& doc;
    RenderScratch& scratch;
    ShownParts shown;
    ViewDirection direction;
    bool one_sided;
    size_t vertex_begin, vertex_end;  // the shown vertices (global indices)
    size_t face_begin, face_end;      // the shown faces
    size_t shares;
};

// Share k projects its part of the shown vertices once for every corner and
// mark that needs them, clears their vertex_visible flags, counts them by
// image row for the bands of the marks, and fills its part of the image's
// rows with the background.
void ProjectShare(const RenderJob& job, size_t k) {
    Document& doc = job.doc;
    RenderScratch& s = job.scratch;
    const size_t begin = ShareBegin(job.vertex_begin, job.vertex_end, k, job.shares);
    const size_t end = ShareBegin(job.vertex_begin, job.vertex_end, k + 1, job.shares);
    const PixelFit fit = PixelFitOf(doc);
    ImagePoint* pixel = s.pixel.data();
    for (size_t g = begin; g < end; ++g) pixel[g] = ImagePixel(fit, ProjectVertex(doc, job.direction, g));
    if (job.one_sided) {
        float* facing = s.facing.data();
        for (size_t g = begin; g < end; ++g) facing[g] = FacingValue(doc, job.direction, g);
    }
    std::fill(doc.vertex_visible.begin() + static_cast<ptrdiff_t>(begin),
              doc.vertex_visible.begin() + static_cast<ptrdiff_t>(end), uint8_t{0});
    uint32_t* rows = s.rows_per_share[k].data();
    const uint32_t height = static_cast<uint32_t>(doc.image.height);
    std::fill(rows, rows + height, 0u);  // counted afresh when the share runs again
    for (size_t g = begin; g < end; ++g) {
        const uint32_t y = static_cast<uint32_t>(pixel[g].y);
        if (y < height) ++rows[y];
    }
    const size_t width = static_cast<size_t>(doc.image.width);
    std::fill(doc.image.pixels.begin() + static_cast<ptrdiff_t>(ShareBegin(0, height, k, job.shares) * width),
              doc.image.pixels.begin() + static_cast<ptrdiff_t>(ShareBegin(0, height, k + 1, job.shares) * width),
              kBackgroundColor);
}

// Band boundaries that give every band about as many vertices, and so about
// as many marks to draw.
void ChooseBands(RenderScratch& s, size_t bands, int32_t height) {
    s.band_rows.assign(bands + 1, height);
    s.band_rows[0] = 0;
    uint64_t total = 0;
    for (const std::vector<uint32_t>& rows : s.rows_per_share) {
        for (uint32_t n : rows) total += n;
    }
    uint64_t seen = 0;
    size_t b = 1;
    for (int32_t y = 0; y < height && b < bands; ++y) {
        for (const std::vector<uint32_t>& rows : s.rows_per_share) seen += rows[static_cast<size_t>(y)];
        while (b < bands && seen * bands >= total * b) s.band_rows[b++] = y + 1;
    }
}

// Share k draws the outlines of its part of the shown faces that are drawn
// and sets vertex_visible for their corners. Two shares may set the flag of
// a shared corner at once: the same 1, stored as a relaxed atomic.
void EdgeShare(const RenderJob& job, size_t k) {
    Document& doc = job.doc;
    const RenderScratch& s = job.scratch;
    const Raster raster{doc.image.pixels.data(), doc.image.width, doc.image.height};
    const size_t begin = ShareBegin(job.face_begin, job.face_end, k, job.shares);
    const size_t end = ShareBegin(job.face_begin, job.face_end, k + 1, job.shares);
    for (int i = job.shown.first; i < job.shown.end; ++i) {
        const size_t base = static_cast<size_t>(doc.vertex_offset[i]);
        const size_t parts_end = std::min(end, static_cast<size_t>(doc.face_offset[i + 1]));
        for (size_t f = std::max(begin, static_cast<size_t>(doc.face_offset[i])); f < parts_end; ++f) {
            const int32_t* v = doc.faces[f].v;
            const int corners = v[3] == -1 ? 3 : 4;
            if (job.one_sided) {
                float facing = 0.0f;
                for (int c = 0; c < corners; ++c) facing += s.facing[base + static_cast<size_t>(v[c])];
                // A face seen exactly edge-on (sum 0) still counts as facing.
                if (!(facing >= 0.0f)) continue;
            }
            ImagePoint points[4];
            for (int c = 0; c < corners; ++c) points[c] = s.pixel[base + static_cast<size_t>(v[c])];
            DrawFaceOutline(raster, points, corners, kEdgeColor);
            for (int c = 0; c < corners; ++c) {
                std::atomic_ref<uint8_t>(doc.vertex_visible[base + static_cast<size_t>(v[c])])
                    .store(1, std::memory_order_relaxed);
            }
        }
    }
}

// Share k draws in its band the marks of the shown vertices, in order.
void MarkShare(const RenderJob& job, size_t k) {
    Document& doc = job.doc;
    const RenderScratch& s = job.scratch;
    const int32_t top = s.band_rows[k];
    const int32_t bottom = s.band_rows[k + 1];
    const Raster band{doc.image.pixels.data(), doc.image.width, doc.image.height, top, bottom};
    const ImagePoint* pixel = s.pixel.data();
    const uint8_t* visible = doc.vertex_visible.data();
    const uint8_t* selected = doc.vertex_selection.data();
    for (size_t g = job.vertex_begin; g < job.vertex_end; ++g) {
        const ImagePoint p = pixel[g];
        if (p.y + 1 < top || p.y - 1 >= bottom) continue;
        if (job.one_sided && visible[g] == 0) continue;
        DrawMark(band, p, selected[g] != 0 ? kSelectedVertexColor : kVertexColor);
    }
}

RenderInputs InputsOf(const Document& doc, const ViewState& view) {
    RenderInputs in;
    in.direction = doc.direction;
    in.one_sided = doc.one_sided;
    in.parts_selection = doc.parts_selection;
    in.parts_count = doc.parts_count;
    in.width = view.image_width;
    in.height = view.image_height;
    in.fit_scale = doc.fit_scale;
    in.origin_x = doc.origin_x;
    in.origin_y = doc.origin_y;
    in.vertices = doc.vertices.data();
    in.vertex_count = doc.vertices.size();
    in.faces = doc.faces.data();
    in.face_count = doc.faces.size();
    std::copy(std::begin(doc.vertex_offset), std::end(doc.vertex_offset), in.vertex_offset.begin());
    std::copy(std::begin(doc.face_offset), std::end(doc.face_offset), in.face_offset.begin());
    return in;
}

}  // namespace

namespace {

// The shown parts of a model whose tables match its arrays. Any other model
// is drawn as background only; loading refuses such models, so this is a
// guard, not a path.
ShownParts DrawableParts(const Document& doc) {
    const int P = doc.parts_count;
    const size_t N = doc.vertices.size();
    const bool drawable = P >= 0 && P <= kTableSize && ArraySizesMatchCounts(doc) && doc.vertex_offset[P] >= 0 &&
                          static_cast<size_t>(doc.vertex_offset[P]) <= N && doc.face_offset[P] >= 0 &&
                          static_cast<size_t>(doc.face_offset[P]) <= doc.faces.size();
    return drawable ? ShownPartsOf(doc.parts_selection, P) : ShownParts{};
}

RenderJob JobOf(Document& doc, RenderScratch& scratch, ShownParts shown) {
    return {doc,
            scratch,
            shown,
            doc.direction,
            doc.one_sided != 0,
            static_cast<size_t>(doc.vertex_offset[shown.first]),
            static_cast<size_t>(doc.vertex_offset[shown.end]),
            static_cast<size_t>(doc.face_offset[shown.first]),
            static_cast<size_t>(doc.face_offset[shown.end]),
            1};
}

}  // namespace

bool RenderModel(Document& doc, ViewState& view, RenderScratch& scratch, const ViewHost& host) {
    scratch.drawn.reset();
    FitView(doc, view, doc.parts_selection);

    ModelImage& image = doc.image;
    image.width = view.image_width;
    image.height = view.image_height;
    const size_t image_size = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    try {
        image.pixels.resize(image_size);
    } catch (const std::bad_alloc&) {
        image.pixels.clear();
        return false;
    }

    const ShownParts shown = DrawableParts(doc);
    if (shown.first == shown.end) {
        std::fill(image.pixels.begin(), image.pixels.end(), kBackgroundColor);
        ApplyZoom(doc, view, host);
        return true;
    }

    RenderJob job = JobOf(doc, scratch, shown);
    const size_t work = (job.vertex_end - job.vertex_begin) + (job.face_end - job.face_begin);
    const size_t threads = scratch.threads != 0 ? scratch.threads : (work < kThreadedWork ? 1 : WorkThreads());
    const size_t rows = static_cast<size_t>(std::max(image.height, 1));
    job.shares = std::clamp<size_t>(threads > 1 ? threads * kPiecesPerThread : 1, 1, rows);
    // Every band looks at every vertex, so there is one band per thread.
    const size_t bands = std::clamp<size_t>(threads, 1, rows);

    try {
        scratch.pixel.resize(doc.vertices.size());
        if (job.one_sided) scratch.facing.resize(doc.vertices.size());
        scratch.rows_per_share.resize(job.shares);
        for (std::vector<uint32_t>& rows : scratch.rows_per_share) rows.resize(static_cast<size_t>(image.height));
    } catch (const std::bad_alloc&) {
        std::fill(image.pixels.begin(), image.pixels.end(), kBackgroundColor);
        return false;
    }

    RunRepeatableShares(job.shares, [&job](size_t k) { ProjectShare(job, k); });
    RunRepeatableShares(job.shares, [&job](size_t k) { EdgeShare(job, k); });
    ChooseBands(scratch, bands, image.height);
    RunRepeatableShares(bands, [&job](size_t k) { MarkShare(job, k); });
    scratch.drawn = InputsOf(doc, view);

    ApplyZoom(doc, view, host);
    return true;
}

bool RedrawMarks(Document& doc, ViewState& view, RenderScratch& scratch, const ViewHost& host) {
    FitView(doc, view, doc.parts_selection);
    const ShownParts shown = DrawableParts(doc);
    // The render that set `drawn` also sized the image, the pixel places and
    // the bands for those inputs; the image's size still guards against a
    // Document whose image was let go since.
    const bool same = scratch.drawn && *scratch.drawn == InputsOf(doc, view) && shown.first != shown.end &&
                      doc.image.pixels.size() == static_cast<size_t>(view.image_width) * static_cast<size_t>(view.image_height);
    if (!same) return RenderModel(doc, view, scratch, host);
    const RenderJob job = JobOf(doc, scratch, shown);
    RunRepeatableShares(scratch.band_rows.size() - 1, [&job](size_t k) { MarkShare(job, k); });
    ApplyZoom(doc, view, host);
    return true;
}

}  // namespace torvel
