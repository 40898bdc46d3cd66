// The summary of a scored replay, for people (a table) or as one JSON object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "evaluation.h"

namespace cmdpredict::cli {

// What the replay adds to the scores for the summary.
struct ReplayTotals {
  std::vector<std::string> environments;  // names, in the log's order
  double seconds = 0.0;
  std::int64_t modelsWritten = -1;  // -1: models were not saved
  std::string modelFolder;
  std::vector<std::int64_t> modelBytes;  // per environment; -1: no model file
  std::uint64_t peakMemoryBytes = 0;
  bool perEnvironment = false;  // add a breakdown per environment
};

std::string SummaryText(const Evaluation& evaluation, const ReplayTotals& totals);
// One line: {"summary":{"events":N,"hits":{"1":a,"3":b,"5":c,"10":d},...}} (docs/replay-tool.md).
std::string SummaryJson(const Evaluation& evaluation, const ReplayTotals& totals);

}  // namespace cmdpredict::cli
