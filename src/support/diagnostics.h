// The diagnostic records that lower layers collect while they work and hand up with their results;
// only the manager passes them on to the host's handler.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cmdpredict/diagnostics.h"

namespace cmdpredict {

using Diagnostics = std::vector<Diagnostic>;

// Appends a record about a file or folder that belongs to no environment (yet).
inline void AddDiagnostic(Diagnostics& diagnostics, DiagnosticKind kind, std::string path,
                          std::string reason) {
  diagnostics.push_back({kind, WString(), std::move(path), std::move(reason)});
}

}  // namespace cmdpredict
