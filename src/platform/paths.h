// The separator that joins a folder and a name in a path.
#pragma once

namespace cmdpredict {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
// Every character that ends a folder's part of a path.
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

}  // namespace cmdpredict
