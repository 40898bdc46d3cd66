#include "testing/temp_folder.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace cmdpredict {
namespace {

// create_directory fails rather than reuse a folder that exists, so a name clash only costs a retry.
std::filesystem::path CreateUniqueFolder() {
  static std::mt19937_64 random{std::random_device{}()};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / ("cmdpredict-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) return candidate;
  }
  throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

}  // namespace

TempFolder::TempFolder() : m_path(CreateUniqueFolder().string()) {}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::File(const std::string& name) const {
  return (std::filesystem::path(m_path) / name).string();
}

}  // namespace cmdpredict
