// The few file-system services the core needs beyond the C library. One
// implementation per platform; this header names no platform type.
#pragma once

#include <cstdio>
#include <string>

namespace torvel {

// True when the file system reports attributes for path (a file or folder).
bool PathExists(const char* path);

// Creates a new empty file in the folder of target under a fresh name, open
// for binary writing. Returns nullptr when no file could be created.
std::FILE* CreateTempFileBeside(const char* target, std::string& temp_path);

// Moves temp over target in one step, replacing target when it exists.
bool ReplaceFileWith(const char* temp, const char* target);

void RemoveFile(const char* path);

}  // namespace torvel

namespace torvel {

// Makes the console show UTF-8 text (a no-op where it already does).
void PrepareUtf8Console();

}  // namespace torvel
