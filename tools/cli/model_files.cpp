#include "model_files.h"

#include <filesystem>

#include "modelmgr/context_tree_holder.h"
#include "platform/env.h"
#include "platform/unicode.h"

namespace cmdpredict::cli {

std::string ModelFolderOf(const std::string& appData) { return appData + "ModelPrediction"; }

std::string ModelFileOf(const std::string& modelFolder, const std::string& environment) {
  // The holder names the file, so that the tool finds it wherever the library puts it.
  const CContextTree holder(Utf8ToWide(modelFolder), Utf8ToWide(environment));
  return holder.ModelPath() + kModelFileExtension;
}

bool ReadModelFile(const std::string& path, std::string& text, std::string& reason) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) {
    reason = error.message();
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    reason = std::filesystem::is_directory(status) ? "it is a folder" : "it is not a regular file";
    return false;
  }
  if (!CurrentEnv().ReadFile(path, text)) {
    reason = "it cannot be read";
    return false;
  }
  return true;
}

}  // namespace cmdpredict::cli
