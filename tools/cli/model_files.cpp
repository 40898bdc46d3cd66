#include "model_files.h"

#include "modelmgr/context_tree_holder.h"
#include "platform/unicode.h"

namespace cmdpredict::cli {

std::string ModelFolderOf(const std::string& appData) { return appData + "ModelPrediction"; }

std::string ModelFileOf(const std::string& modelFolder, const std::string& environment) {
  // The holder names the file, so that the tool finds it wherever the library puts it.
  const CContextTree holder(Utf8ToWide(modelFolder), Utf8ToWide(environment));
  return holder.ModelPath() + kModelFileExtension;
}

}  // namespace cmdpredict::cli
