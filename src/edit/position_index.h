// Finds the first of a list of positions that equals a given one, in
// constant time. Equality is == on each of x, y and z: +0 equals -0 and a
// NaN equals nothing, so positions with a NaN are never found.
//
// The index stores entry numbers into a position list owned by the caller,
// which passes the list to every call (it may grow and move in between).
// Each slot also keeps the upper 32 bits of the position's hash, its tag: a
// probe reads a position only when the tags agree, and the tag alone gives
// the slot's home when the table grows.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "model/document.h"

namespace torvel {

struct PositionIndex {
    static constexpr uint64_t kEmpty = ~uint64_t{0};

    std::vector<uint64_t> slots;  // hash << 32 | entry, kEmpty for an empty slot
    size_t mask = 0;
    size_t size = 0;

    // Tags keep long probe runs cheap, so the table may fill up to 3/4.
    static bool Full(size_t entries, size_t capacity) { return 4 * entries > 3 * capacity; }

    // Empties the index and makes room for `expected` entries without growing.
    void Reset(size_t expected) {
        size_t capacity = 16;
        while (Full(expected, capacity)) capacity *= 2;
        slots.assign(capacity, kEmpty);
        mask = capacity - 1;
        size = 0;
    }

    static bool HasNaN(const Vec3& p) { return p.x != p.x || p.y != p.y || p.z != p.z; }

    static bool Equal(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

    static uint64_t Hash(const Vec3& p) {
        // Adding +0 turns -0 into +0, so equal positions hash alike.
        const float c[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
        uint32_t b[3];
        std::memcpy(b, c, sizeof b);
        uint64_t h = (uint64_t{b[0]} << 32 | b[1]) * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) + uint64_t{b[2]} * 0xC2B2AE3D27D4EB4Full;
        h *= 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 31);
    }

    static size_t Home(uint64_t tag, size_t mask) { return static_cast<size_t>(tag) & mask; }

    // Starts loading the slot where a search for this hash begins (a hint only).
    void Prefetch(uint64_t hash) const { __builtin_prefetch(&slots[Home(hash >> 32, mask)]); }

    // The first entry equal to p, or -1.
    int32_t Find(const Vec3* positions, const Vec3& p) const {
        if (HasNaN(p)) return -1;
        const uint64_t tag = Hash(p) >> 32;
        for (size_t s = Home(tag, mask);; s = (s + 1) & mask) {
            const uint64_t slot = slots[s];
            if (slot == kEmpty) return -1;
            const int32_t e = static_cast<int32_t>(slot & 0xFFFFFFFFu);
            if ((slot >> 32) == tag && Equal(positions[e], p)) return e;
        }
    }

    // The first entry equal to positions[entry]; when there is none, entry
    // itself is added and -1 returned. `hash` is Hash(positions[entry]).
    int32_t FindOrAdd(const Vec3* positions, int32_t entry, uint64_t hash) {
        const Vec3& p = positions[entry];
        if (HasNaN(p)) return -1;
        const uint64_t tag = hash >> 32;
        size_t s = Home(tag, mask);
        for (;; s = (s + 1) & mask) {
            const uint64_t slot = slots[s];
            if (slot == kEmpty) break;
            const int32_t e = static_cast<int32_t>(slot & 0xFFFFFFFFu);
            if ((slot >> 32) == tag && Equal(positions[e], p)) return e;
        }
        slots[s] = tag << 32 | static_cast<uint32_t>(entry);
        if (Full(++size, slots.size())) Grow();
        return -1;
    }

    int32_t FindOrAdd(const Vec3* positions, int32_t entry) {
        return FindOrAdd(positions, entry, Hash(positions[entry]));
    }

private:
    void Grow() {
        std::vector<uint64_t> old;
        old.swap(slots);
        slots.assign(old.size() * 2, kEmpty);
        mask = slots.size() - 1;
        for (uint64_t slot : old) {
            if (slot == kEmpty) continue;
            size_t s = Home(slot >> 32, mask);
            while (slots[s] != kEmpty) s = (s + 1) & mask;
            slots[s] = slot;
        }
    }
};

}  // namespace torvel
