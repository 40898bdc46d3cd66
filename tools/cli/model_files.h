// Where the library keeps the models of an application-data folder, as the tool reads them.
#pragma once

#include <cstdint>
#include <string>

namespace cmdpredict::cli {

inline constexpr const char* kModelFileExtension = ".ContextTree";
// The depth and history margin the library's holder gives a tree before its file is loaded.
inline constexpr std::uint64_t kHolderDepth = 100;
inline constexpr std::uint64_t kHolderHistoryMargin = 1;

// The model folder of an application-data folder given with its trailing separator.
std::string ModelFolderOf(const std::string& appData);
// The path of the model file the library uses for the environment (UTF-8 name).
std::string ModelFileOf(const std::string& modelFolder, const std::string& environment);

}  // namespace cmdpredict::cli
