#pragma once

#include <memory>
#include <string>

#include "model/document.h"
#include "model/notifier.h"

namespace torvel::bench {

// One parts with `vertices` vertices (with weights, so nine values per
// vertex line) and as many quads.
std::unique_ptr<Document> MakeGridModel(int vertices);

// A Notifier with a progress record that is never cancelled, so that the
// benchmarks pay for the polls as the editor's work does.
Notifier Polled();
Progress* PolledProgress();

// A file of the model in the chosen form, written once per process under
// the system's temporary folder.
const std::string& TextFile();
const std::string& BinaryFile();

// fgets + sscanf reader following the same line rules, for comparison.
bool BaselineReadYktText(Document& doc, const char* path);

// One fprintf per line in the text form's layout (parts blocks only), for
// comparison with the text writer.
bool BaselineWriteYktText(const Document& doc, const char* path);

// One read() of the whole file into fresh memory: the baseline that a reader
// doing nothing else would cost.
void ReadOnce(const std::string& path, size_t size);

// Peak resident kilobytes of this process so far (VmHWM).
long PeakKilobytes();
// Runs a copy of this program with one mode argument and reads the two
// numbers it prints.
bool ChildPeak(const char* mode, long& first, long& second);
// The child side of the face split's peak memory measurement.
int PeakSplit(bool split);
// The child side of the OBJ read's peak memory measurement.
int PeakObj(const char* reader, const char* path);
// The child side of the loading rule's peak memory measurement.
int PeakLoad(bool load, const char* path);

}  // namespace torvel::bench
