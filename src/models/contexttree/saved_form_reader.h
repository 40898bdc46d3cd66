// Loading a model file that is exactly as Save writes it, straight into the tree while its text is
// read, without a JSON document of it: a document of a large model takes more time and memory
// than the tree itself.
//
// Any other text, however slightly different (another order of members, a long key, a repair that
// loading would make, a version that is not accepted, a string holding a NUL byte), is not read
// here: the general load, which grades and repairs, reads it instead. So what a load makes of a
// file never depends on which of the two read it.
#pragma once

#include <string>

#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"

namespace Quenmar::Intel {

// True when the text is a file in the saved form: the tree then holds what the general load makes
// of it (in full, with no backup) and `version` is the file's. False otherwise: the tree is as it
// was.
bool ReadSavedForm(ContextTree& tree, const std::string& text, ModelVersion& version);

}  // namespace Quenmar::Intel
