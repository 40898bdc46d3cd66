#include "testing/temp_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "support/files/temporary_folder.h"

namespace cmdpredict {

TempFolder::TempFolder() : m_path(CreateTemporaryFolder("cmdpredict-test-")) {}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::u8path(m_path), ignored);
}

// Joined as the library joins paths, so that a name that is path text but not UTF-8 (a lone
// surrogate) stays as it is.
std::string TempFolder::File(const std::string& name) const { return m_path + kPathSeparator + name; }

}  // namespace cmdpredict
