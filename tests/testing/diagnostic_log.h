// Keeps the diagnostic records that a manager reports, as tuples that a test compares in one
// expectation: in full, or by kind and path alone where the reason is the system's own text.
#pragma once

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"

namespace cmdpredict {

using Record = std::tuple<DiagnosticKind, WString, std::string, std::string>;  // environment, path, reason
using KindsAndPaths = std::vector<std::pair<DiagnosticKind, std::string>>;

inline std::vector<Record> RecordsOf(const std::vector<Diagnostic>& diagnostics) {
  std::vector<Record> records;
  for (const Diagnostic& d : diagnostics) records.emplace_back(d.kind, d.environment, d.path, d.reason);
  return records;
}

inline KindsAndPaths KindsAndPathsOf(const std::vector<Diagnostic>& diagnostics) {
  KindsAndPaths reduced;
  for (const Diagnostic& d : diagnostics) reduced.emplace_back(d.kind, d.path);
  return reduced;
}

// Becomes the manager's diagnostic handler; must outlive the manager's use of it.
class DiagnosticLog {
 public:
  explicit DiagnosticLog(CPredictionCommandManager& manager) {
    manager.SetDiagnosticHandler([this](const Diagnostic& d) { diagnostics.push_back(d); });
  }
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  std::vector<Record> Records() const { return RecordsOf(diagnostics); }
  KindsAndPaths Seen() const { return KindsAndPathsOf(diagnostics); }

  std::vector<Diagnostic> diagnostics;
};

}  // namespace cmdpredict
