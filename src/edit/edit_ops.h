// The editing operations on the one Document: selection, undo, parts split,
// face split, alignment and weights. They change the Document and tell the
// user what happened through the Notifier; redrawing the view afterwards is
// the caller's job (the shell's command table says which commands redraw).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/document.h"
#include "model/notifier.h"

namespace torvel {

// Face split patterns: 0..2 split quadrilaterals, 3..12 triangles.
inline constexpr int kFirstQuadPattern = 0;
inline constexpr int kLastQuadPattern = 2;
inline constexpr int kFirstTrianglePattern = 3;
inline constexpr int kLastTrianglePattern = 12;

// --- Selection (none of these takes an undo snapshot) ---

// Selects every vertex (PartsList choice 0) or adds the chosen parts'
// vertices to the selection; selection_empty becomes false in every case.
void SelectAll(Document& doc, const Notifier& notifier);
void DeselectAll(Document& doc, const Notifier& notifier);
// Flips every vertex of the model, whatever the PartsList shows.
void InvertSelection(Document& doc, const Notifier& notifier);
// Flip the toggle and return its new state (the shell shows it as the menu
// check mark and the pressed toolbar button).
bool ToggleDeselectMode(Document& doc);
bool ToggleOneSided(Document& doc);
// The selection step of the view: every vertex of a shown parts whose
// ModelImage pixel lies in doc.pick (both ends included) is selected, or
// deselected in deselect mode. Uses the fit of the last render.
void ApplyPickRectangle(Document& doc, const Notifier& notifier);
// Scans the whole selection: sets selection_empty and the parts-split button.
void UpdateSelectionEmpty(Document& doc, const Notifier& notifier);

// --- Undo: one level, a full copy of the editable geometry ---

// False (snapshot unchanged) without a loaded model; false with the snapshot
// absent when its memory cannot be obtained.
bool TakeUndoSnapshot(Document& doc);
// False when there is no snapshot. Removes the PartsList lines of the parts
// the undone edit added and updates selection_empty.
bool RestoreUndoSnapshot(Document& doc, const Notifier& notifier);

// --- Parts split ---

// Moves the fully selected faces of the first parts that has any into a new
// last parts "no-name". False when refused or when nothing was split.
// Stopped through notifier.progress (WorkCancelled), it leaves the Document
// as it was.
bool SplitParts(Document& doc, const Notifier& notifier);
// corner_min, corner_max and center of parts k from its vertices; a parts
// without vertices gets the empty box at the origin.
void RecomputePartsBounds(Document& doc, int k);

// --- Face split and normals ---

// Splits every fully selected face by its pattern and rebuilds the vertex
// and face lists of every parts (equal positions merged, unused vertices
// dropped). True when at least one face was split. Stopped through
// notifier.progress (WorkCancelled), it leaves the model as it was; an undo
// snapshot it had borrowed (lent_snapshot.h) is then released.
bool SplitFaces(Document& doc, int quad_pattern, int triangle_pattern, const Notifier& notifier);
// What a split would make, counted before it runs: the exact number of
// faces and the vertices expected (for a face split: equal points merged as
// a grid merges them; the true number lies near it), and the bytes it needs
// beyond the new model's arrays (its working copies, the undo copy when that
// is not lent to the split).
struct SplitSize {
    uint64_t faces = 0;
    uint64_t expected_vertices = 0;
    uint64_t working_bytes = 0;
};
SplitSize CountFaceSplit(const Document& doc, int quad_pattern, int triangle_pattern);
SplitSize CountPartsSplit(const Document& doc);
// Why a split of that size is refused before it starts, for both splits: the
// model could not hold it (SplitTooLarge), or the memory the system can
// still give (available bytes; 0 when it does not say) could not
// (SplitNeedsMoreMemory); nothing when it fits.
std::optional<MessageId> SplitRefusal(const SplitSize& size, uint64_t available);
// Angle-weighted vertex normals of the whole model from its triangles (a
// quadrilateral counts as two). Does nothing when parts_selection < 0.
// False, with the normals as they were, when its working memory could not
// be had.
// With a progress record it can be stopped between blocks (WorkCancelled),
// leaving some normals computed anew.
bool RecomputeNormals(Document& doc, Progress* progress = nullptr);
// The same with the work shared by `threads` threads (RecomputeNormals picks
// the number from the model's size), summing `block` vertices at a time; the
// result is the same for any number of either.
inline constexpr size_t kNormalsBlock = size_t{1} << 15;
bool RecomputeNormalsInThreads(Document& doc, size_t threads, size_t block = kNormalsBlock,
                               Progress* progress = nullptr);

// --- Alignment and weights ---

// Moves every selected vertex to the mean of the selected vertices'
// coordinates along axis 0 (x), 1 (y) or 2 (z).
void AlignSelected(Document& doc, int axis);
// Sets the weight of every selected vertex to 1.
void SetSelectedWeights(Document& doc);

}  // namespace torvel
