#include "input_file.h"

#include <filesystem>

#include "support/files/file_contents.h"

namespace cmdpredict::cli {

bool ReadInputFile(const std::string& path, std::string& text, std::string& reason) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(std::filesystem::u8path(path), error);
  if (error) {
    reason = error.message();
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    reason = std::filesystem::is_directory(status) ? "it is a folder" : "it is not a regular file";
    return false;
  }
  if (!ReadWholeFile(path, text)) {
    reason = "it cannot be read";
    return false;
  }
  return true;
}

}  // namespace cmdpredict::cli
