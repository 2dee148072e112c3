// Why a read refused a file, or what it could not read: one line of text per
// problem, each starting with its place — the line number in the text form,
// the record's name and byte offset in the binary form. The editor shows its
// usual messages; torvel-cli prints these lines after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvel {

struct ReadReport {
    // At most kKept lines are kept; the rest are only counted, so that a file
    // with a million bad faces cannot make the report huge.
    static constexpr size_t kKept = 100;

    std::vector<std::string> problems;  // UTF-8
    size_t omitted = 0;
    // The binary form ended before its last record or inside a record: the
    // records read so far stand, the rest is lost.
    bool truncated = false;
    // A reader could not get the memory it needed.
    bool out_of_memory = false;

    void Add(std::string text) {
        if (problems.size() < kKept) {
            problems.push_back(std::move(text));
        } else {
            ++omitted;
        }
    }
};

// A report line is only formatted when someone asked for the report.
inline void Report(ReadReport* report, std::string text) {
    if (report != nullptr) report->Add(std::move(text));
}

// A reader ran out of memory, at the place given (empty when it has none).
inline void ReportOutOfMemory(ReadReport* report, const std::string& place = {}) {
    if (report == nullptr) return;
    report->out_of_memory = true;
    report->Add(place + "メモリが不足しています");
}

}  // namespace torvel
