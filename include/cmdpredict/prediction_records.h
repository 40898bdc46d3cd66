// The records that cross the host interface besides the manager itself.
#pragma once

#include <cstdint>
#include <vector>

#include "cmdpredict/platform_types.h"

// One position of an environment's ranked prediction list. Positions are updated in place, so a
// position keeps its identity across refreshes.
struct PredictionSlot {
  double probability = 0.0;  // 0.0 for an emptied position
  LONG commandId = 0;        // 0 for an emptied position
  bool updated = false;      // the command changed since the host last read it with
                             // GetPredictionCommandIDIfUpdated
};

// One position as GetPredictionCommandIDs hands it to the host.
struct PredictionCommandManagerPredictionData {
  LONG commandId = 0;
  double probability = 0.0;
  bool flag = false;  // always false as filled by GetPredictionCommandIDs
};

// A named table of text values that the host hands over to be written as a .csv file.
struct NamedTrainingCommandSequence {
  cmdpredict::WString name;                               // start of the file name; empty: nothing to save
  std::vector<cmdpredict::WString> columnNames;           // the header, one entry per column
  std::vector<std::vector<cmdpredict::WString>> columns;  // values of each column, top to bottom
  std::vector<std::int32_t> extra;                        // carried with the record, never written
};
