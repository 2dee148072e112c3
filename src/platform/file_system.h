// The few file-system services the core needs beyond the C library. One
// implementation per platform; this header names no platform type.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file_path.h"

namespace torvel {

// True when the file system reports attributes for path (a file or folder).
bool PathExists(const FilePath& path);

// Finds the file a save to path replaces: a link (or a chain of links) is
// followed to the file it names, which need not exist yet. False when that
// file exists and is not a regular file (a folder, FIFO, device or socket)
// or the links go round in a loop; a save must then create nothing.
bool ResolveSaveTarget(const FilePath& path, FilePath& file);

// Creates an empty temporary file in the folder of file, for a save that
// will replace file, open for binary writing and with the permission bits
// (and, where allowed, the owner) file has. Where the file system supports
// it the temporary file has no name (temp_path is left empty), so it
// vanishes with the process whatever happens; otherwise it has a short
// name, given in temp_path, that is removed on interrupt. Returns nullptr
// when no file could be created.
std::FILE* CreateTempFileBeside(const FilePath& file, FilePath& temp_path);

// The same, always with a name in the folder (the fallback of the above).
std::FILE* CreateNamedTempFileBeside(const FilePath& file, FilePath& temp_path);

// Gives a temporary file without a name a short fresh name in the folder
// of file, so that it can replace file; true and nothing to do when it has
// one (temp_path not empty).
bool NameTempFile(std::FILE* temp, const FilePath& file, FilePath& temp_path);

// Moves temp over target in one step, replacing target when it exists.
bool ReplaceFileWith(const FilePath& temp, const FilePath& target);

// Removes a file; a temporary file is also forgotten by the interrupt
// clean-up.
void RemoveFile(const FilePath& path);

// Makes an interrupt (Ctrl+C, SIGINT, SIGTERM, closing the console) remove
// the named temporary files of saves in progress before the program ends
// as it would have without this. Called once by a program's entry point.
void InstallInterruptCleanup();

}  // namespace torvel

namespace torvel {

// Makes the console show UTF-8 text (a no-op where it already does).
void PrepareUtf8Console();

}  // namespace torvel
