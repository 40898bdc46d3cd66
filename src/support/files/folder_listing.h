// Listing a folder's regular files at once. Paths are narrow (UTF-8) strings handed to the system
// unchanged; everything goes through CurrentEnv(), so tests can substitute the system.
#pragma once

#include <string>
#include <vector>

#include "support/files/file_result.h"

namespace cmdpredict {

// Success when the path names a folder that can be listed. Something that exists is not enough: a
// regular file at the path fails with the system's reason.
FileResult IsListableFolder(const std::string& path);

// Sets `fileNames` to the names (without the folder) of the folder's regular files, in the order
// the system reports them; sub-folders and special files are left out. On failure `fileNames` is
// left empty.
FileResult ListFolderFiles(const std::string& folder, std::vector<std::string>& fileNames);

}  // namespace cmdpredict
