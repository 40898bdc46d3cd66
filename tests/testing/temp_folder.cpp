#include "testing/temp_folder.h"

#include <filesystem>
#include <system_error>

#include "support/files/temporary_folder.h"

namespace cmdpredict {

TempFolder::TempFolder() : m_path(CreateTemporaryFolder("cmdpredict-test-")) {}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::File(const std::string& name) const {
  return (std::filesystem::path(m_path) / name).string();
}

}  // namespace cmdpredict
