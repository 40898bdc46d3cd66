// The composite model's folder. A composite saved under the base path B is the folder
// B.CompositeSequenceModel (B itself when B already ends with "CompositeSequenceModel") holding a
// folder "models" in which each sub-model stores itself under its name, its own type name being
// the extension of its file (a.ContextTree). Nothing else is written: the sub-models a composite
// has are known only from the files present. docs/composite-model-folder.md describes the layout.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "models/sequence_model.h"

namespace Quenmar::Intel {

// The name of the composite's type: its registry name and the extension of its folder.
inline constexpr const char* kCompositeTypeName = "CompositeSequenceModel";
// The sub-folder of the composite's folder that holds the sub-model files.
inline constexpr const char* kCompositeModelsFolder = "models";

// The composite's folder for the base path, followed by a separator and each sub-folder name.
std::string CompositeFolderPath(const std::string& basePath, const std::vector<std::string>& subFolders);

// Creates the last folder of CompositeFolderPath when nothing exists at that path (one level
// only); 0 when something existed or the folder was created, 1 when it could not be created.
int EnsureCompositeFolder(const std::string& basePath, const std::vector<std::string>& subFolders);

// A model of the type named by the text after the last '.' of the path, loaded from the file;
// null when the path has no such text, the type is not registered or the model cannot load it.
std::unique_ptr<ISequencePredictionModel> CreateModelFromFile(const std::string& path);

}  // namespace Quenmar::Intel
