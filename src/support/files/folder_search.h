// Enumeration of a folder's regular files through numbered searches: open a search, read one file
// name per call, close it. Sub-folders and other non-regular entries are skipped; names come in
// the order the system reports them.
//
// Threading: the search registry and its counter are process-wide and unsynchronised.
#pragma once

#include <cstdint>
#include <string>

namespace cmdpredict {

// The caller's view of a search: NextFolderFile fills it, CloseFolderSearch reads its identifier.
struct FolderEntry {
  std::string fileName;  // without the folder
  std::int32_t searchId = 0;
};

// Registers a search of the folder under a new identifier (the first of a process is 1;
// identifiers are never reused) and stores it in *searchId. Returns 1, registering nothing, when
// a pointer is null or nothing exists at the path.
int OpenFolderSearch(const char* folder, std::int32_t* searchId);

// Writes the search identifier into the entry, then the name of the search's next regular file.
// Returns 0 when a name was written; 1 when `entry` is null, no search has that identifier or no
// regular file is left. When the folder cannot be listed, the next call tries again from the start.
int NextFolderFile(std::int32_t searchId, FolderEntry* entry);

// Ends the search named by the entry's identifier and forgets it; does nothing for a null entry
// or an identifier without a search.
void CloseFolderSearch(FolderEntry* entry);

}  // namespace cmdpredict
