// The names and fixed values of a context tree file, shared by its writer and its readers.
#pragma once

namespace Quenmar::Intel::file_keys {

inline constexpr const char* kSchema = "concise";
inline constexpr const char* kVersion = "1.0";
inline constexpr const char* kRelease = "221.0.0.0";

// Every key has a full form and a one-letter short form; readers look the short one up first.
struct Key {
  const char* shortForm;
  const char* fullForm;
};
inline constexpr Key kItem{"i", "item"};
inline constexpr Key kFrequency{"f", "frequency"};
inline constexpr Key kChildren{"c", "children"};
inline constexpr Key kDepth{"d", "depth"};
inline constexpr Key kSchemaKey{"s", "schema"};
inline constexpr Key kVersionKey{"v", "version"};
inline constexpr Key kEncodings{"e", "encodings"};
// Only in the full form; what it holds is never used.
inline constexpr const char* kReleaseKey = "release";

}  // namespace Quenmar::Intel::file_keys
