// Finds the first of a list of points that equals a given one, in constant
// time. A point is a position with its weight and texture coordinates, and
// two points are equal when all six values are: == on each, so +0 equals -0
// and a NaN equals nothing, and a point with a NaN is never found. Vertices
// at one position that differ in weight, u or v (a texture seam) are
// different points.
//
// The index stores entry numbers into point lists owned by the caller,
// which passes them to every call (they may grow and move in between).
// Each slot also keeps the upper 32 bits of the position's hash, its tag: a
// probe reads a position only when the tags agree, and the tag alone gives
// the slot's home when the table grows. The tag is scaled to the table's
// capacity, which need not be a power of two, so a table sized for its
// expected entries wastes no memory on rounding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "model/document.h"

namespace torvel {

// The caller's lists, one array per value, indexed by entry.
struct PointLists {
    const Vec3* positions;
    const float* blend;
    const float* u;
    const float* v;
};

struct PointIndex {
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    HeapArray<uint64_t> slots;  // hash << 32 | entry, kEmpty for an empty slot; huge pages where offered
    size_t size = 0;

    // Tags keep long probe runs cheap, so the table may fill up to 3/4.
    static bool Full(size_t entries, size_t capacity) { return 4 * entries > 3 * capacity; }

    // Empties the index and makes room for `expected` entries without growing.
    void Reset(size_t expected) {
        slots.assign(std::max<size_t>(16, expected / 3 * 4 + 4), kEmpty);
        size = 0;
    }

    // Gives the table's memory back.
    void Release() {
        HeapArray<uint64_t>().swap(slots);
        size = 0;
    }

    static bool HasNaN(const Vec3& p, float blend, float u, float v) {
        return p.x != p.x || p.y != p.y || p.z != p.z || blend != blend || u != u || v != v;
    }

    static bool Equal(const PointLists& l, int32_t e, const Vec3& p, float blend, float u, float v) {
        const Vec3& q = l.positions[e];
        return q.x == p.x && q.y == p.y && q.z == p.z && l.blend[e] == blend && l.u[e] == u && l.v[e] == v;
    }

    static uint64_t Hash(const Vec3& p, float blend, float u, float v) {
        // Adding +0 turns -0 into +0, so equal points hash alike.
        const float c[6] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f, blend + 0.0f, u + 0.0f, v + 0.0f};
        uint32_t b[6];
        std::memcpy(b, c, sizeof b);
        uint64_t h = (uint64_t{b[0]} << 32 | b[1]) * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) + (uint64_t{b[2]} << 32 | b[3]) * 0xC2B2AE3D27D4EB4Full;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= (h >> 31) + (uint64_t{b[4]} << 32 | b[5]) * 0x94D049BB133111EBull;
        h *= 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }

    static size_t Home(uint64_t tag, size_t capacity) { return static_cast<size_t>((tag * capacity) >> 32); }

    // Starts loading the slot where a search for this hash begins (a hint only).
    void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots[Home(hash >> 32, slots.size())]); }

    // The first entry equal to the point at entry, which the caller has just
    // appended to its lists; when there is none, entry itself is added and -1
    // returned. `hash` is Hash of the point.
    int32_t FindOrAdd(const PointLists& lists, int32_t entry, uint64_t hash) {
        const Vec3& p = lists.positions[entry];
        const float blend = lists.blend[entry];
        const float u = lists.u[entry];
        const float v = lists.v[entry];
        if (HasNaN(p, blend, u, v)) return -1;
        size_t s = 0;
        const int32_t found = Probe(lists, p, blend, u, v, hash, s);
        if (found >= 0) return found;
        slots[s] = (hash >> 32) << 32 | static_cast<uint32_t>(entry);
        if (Full(++size, slots.size())) Grow();
        return -1;
    }

    // The entry equal to the point, or -1; reads the index only, so that
    // threads may search one index at the same time.
    int32_t Find(const PointLists& lists, const Vec3& p, float blend, float u, float v, uint64_t hash) const {
        if (HasNaN(p, blend, u, v)) return -1;
        size_t s = 0;
        return Probe(lists, p, blend, u, v, hash, s);
    }

private:
    // The entry equal to the point, or -1 with `s` at the empty slot that
    // ends its run.
    int32_t Probe(const PointLists& lists, const Vec3& p, float blend, float u, float v, uint64_t hash,
                  size_t& s) const {
        const uint64_t tag = hash >> 32;
        const size_t capacity = slots.size();
        for (s = Home(tag, capacity);; s = s + 1 == capacity ? 0 : s + 1) {
            const uint64_t slot = slots[s];
            if (slot == kEmpty) return -1;
            const int32_t e = static_cast<int32_t>(slot & 0xFFFFFFFFu);
            if ((slot >> 32) == tag && Equal(lists, e, p, blend, u, v)) return e;
        }
    }

    void Grow() {
        HeapArray<uint64_t> old;
        old.swap(slots);
        slots.assign(old.size() * 2, kEmpty);
        const size_t capacity = slots.size();
        for (uint64_t slot : old) {
            if (slot == kEmpty) continue;
            size_t s = Home(slot >> 32, capacity);
            while (slots[s] != kEmpty) s = s + 1 == capacity ? 0 : s + 1;
            slots[s] = slot;
        }
    }
};

}  // namespace torvel
