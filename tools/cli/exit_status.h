// The tool's exit statuses, as --help and docs/replay-tool.md document them.
#pragma once

namespace cmdpredict::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;   // a file that cannot be read or written
inline constexpr int kExitUsageError = 2;  // a usage error or a malformed log or model file

}  // namespace cmdpredict::cli
