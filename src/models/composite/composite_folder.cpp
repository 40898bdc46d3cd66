// Saving and loading the composite model as a folder of sub-model files, and reading one
// sub-model file.
#include "models/composite/composite_folder.h"

#include <utility>

#include "models/composite/composite_sequence_model.h"
#include "models/model_registry.h"
#include "platform/paths.h"
#include "support/files/files.h"
#include "support/files/folder_listing.h"
#include "support/files/text.h"

namespace Quenmar::Intel {
namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + cmdpredict::kPathSeparator + name;
}

// The file name up to, not including, its last '.'; the whole name when it has none.
std::string ModelNameOf(const std::string& fileName) { return fileName.substr(0, fileName.rfind('.')); }

}  // namespace

std::string CompositeFolderPath(const std::string& basePath, const std::vector<std::string>& subFolders) {
  std::string path = basePath;
  if (!cmdpredict::EndsWith(basePath, kCompositeTypeName))
    path = cmdpredict::FormatText("%s.%s", basePath.c_str(), kCompositeTypeName);
  for (const std::string& subFolder : subFolders) path = JoinPath(path, subFolder);
  return path;
}

int EnsureCompositeFolder(const std::string& basePath, const std::vector<std::string>& subFolders) {
  return cmdpredict::EnsureFolder(CompositeFolderPath(basePath, subFolders)) ? 0 : 1;
}

std::unique_ptr<ISequencePredictionModel> CreateModelFromFile(const std::string& path) {
  const auto lastDot = path.rfind('.');
  if (lastDot == std::string::npos) return nullptr;
  const std::string typeName = path.substr(lastDot + 1);
  if (typeName.empty()) return nullptr;
  std::unique_ptr<ISequencePredictionModel> model = CreateModel(typeName);
  if (!model || !model->Load(path)) return nullptr;
  return model;
}

bool CompositeSequenceModel::Save(const std::string& basePath) {
  bool saved = EnsureCompositeFolder(basePath, {}) == 0;
  SaveSettings(basePath);  // always false: there are no settings to write
  const std::string modelsFolder = CompositeFolderPath(basePath, {kCompositeModelsFolder});
  saved = EnsureCompositeFolder(basePath, {kCompositeModelsFolder}) == 0 && saved;
  // A sub-model that fails does not keep the others from being saved.
  for (const auto& [name, model] : m_models) saved = model->Save(JoinPath(modelsFolder, name)) && saved;
  return saved;
}

bool CompositeSequenceModel::Load(const std::string& folder) {
  // One listing both finds the sub-model files and tells a folder from a regular file at the path.
  std::vector<std::string> fileNames;
  if (!cmdpredict::ListFolderFiles(folder, fileNames)) return false;
  for (const std::string& fileName : fileNames) {
    // Files that name no registered type (backups, notes) and files their model cannot read are
    // skipped.
    std::unique_ptr<ISequencePredictionModel> model = CreateModelFromFile(JoinPath(folder, fileName));
    if (model) AddModel(ModelNameOf(fileName), std::move(model));
  }
  return true;
}

}  // namespace Quenmar::Intel
