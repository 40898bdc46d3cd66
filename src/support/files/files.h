// File services for the model persistence code: the basic ones in the style of C library calls (0 is
// success, nonzero failure), the folder preparations with the system's reason for a failure; nothing
// is thrown or logged. Paths are narrow (UTF-8) strings handed to the system unchanged. Everything
// goes through CurrentEnv(), so tests can substitute the system.
#pragma once

#include <cstdint>
#include <string>

#include "support/files/file_result.h"

namespace cmdpredict {

// 0 when a file or folder exists at the path; otherwise the system's nonzero error number.
int FileExists(const std::string& path);

// Creates one folder (its parent must exist). 1 on any failure, a folder that exists included.
int CreateFolder(const std::string& path);

// Success when a file or folder exists at the path, or a folder was created there now (one level).
FileResult EnsureFolder(const std::string& path);

// EnsureFolder, creating the missing folders above the path first.
FileResult EnsureFolderWithParents(const std::string& path);

// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t CurrentTimeSeconds();

}  // namespace cmdpredict
