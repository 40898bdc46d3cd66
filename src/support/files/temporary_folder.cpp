#include "support/files/temporary_folder.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace cmdpredict {

// create_directory fails rather than reuse a folder that exists, so a name clash only costs a retry.
std::string CreateTemporaryFolder(const std::string& prefix) {
  static std::mt19937_64 random{std::random_device{}()};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / (prefix + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) return candidate.u8string();
  }
  throw std::runtime_error("cannot create a temporary folder in " + base.u8string());
}

}  // namespace cmdpredict
