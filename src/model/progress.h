// Long work (a load, a save, a split, the normals) tells how far it has come
// and learns that the user wants it stopped. The work polls at coarse
// intervals — per read window, per block of lines or faces, per parts —
// never per vertex; a stop throws WorkCancelled from the poll, and the
// caller that set the flag catches it where the Document is put back.
// Another thread (the editor's window) reads the fraction and sets the flag.
#pragma once

#include <atomic>
#include <cstdint>

namespace torvel {

// What the work is doing now; the editor shows its name.
enum class WorkStep : uint8_t {
    Loading,
    Saving,
    SplittingParts,
    SplittingFaces,
    ComputingNormals,
    Editing,
    Importing,
    Exporting,
};

// Thrown by PollProgress once the user asked for a stop.
struct WorkCancelled {};

struct Progress {
    static constexpr uint32_t kScale = 1u << 16;
    std::atomic<uint32_t> done{0};   // fraction of the step done, in 1/kScale
    std::atomic<WorkStep> step{WorkStep::Editing};
    std::atomic<bool> cancel{false};  // set by the user's キャンセル
};

// A new step starts at 0.
inline void StartStep(Progress* progress, WorkStep step) {
    if (progress == nullptr) return;
    progress->step.store(step, std::memory_order_relaxed);
    progress->done.store(0, std::memory_order_relaxed);
}

// Where work can stop: throws WorkCancelled when asked to, else records
// `done` of `total` (nothing when total is 0).
inline void PollProgress(Progress* progress, uint64_t done = 0, uint64_t total = 0) {
    if (progress == nullptr) return;
    if (progress->cancel.load(std::memory_order_relaxed)) throw WorkCancelled{};
    if (total == 0) return;
    if (done > total) done = total;
    // Scaled without overflow for any count a model can have.
    const uint64_t scaled = total >= (uint64_t{1} << 40) ? done / (total / Progress::kScale) : done * Progress::kScale / total;
    progress->done.store(static_cast<uint32_t>(scaled < Progress::kScale ? scaled : Progress::kScale),
                         std::memory_order_relaxed);
}

}  // namespace torvel
