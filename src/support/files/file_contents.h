// Reading and writing whole files. Paths are narrow (UTF-8) strings handed to the system unchanged;
// everything goes through CurrentEnv(), so tests can substitute the system.
#pragma once

#include <string>

#include "platform/content_sink.h"
#include "support/files/file_result.h"

namespace cmdpredict {

// Reads the whole regular file into `contents`; on failure `contents` is unspecified.
FileResult ReadWholeFile(const std::string& path, std::string& contents);

// Replaces the file with the contents by way of a temporary file in the same folder that is flushed
// and renamed over it: a failure at any step leaves an existing file exactly as it was, and a crash
// never leaves a part-written file under the name.
FileResult WriteFileAtomically(const std::string& path, const std::string& contents);

// The same, with the contents that `write` hands over piece by piece (written as they come, so that
// they need never be in memory at once). The file is replaced only when `write` returns true.
FileResult WriteFileAtomically(const std::string& path, const ContentWriter& write);

}  // namespace cmdpredict
