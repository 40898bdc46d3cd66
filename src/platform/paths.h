// The separator that joins a folder and a name in a path.
#pragma once

namespace cmdpredict {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace cmdpredict
