// The records through which the manager tells its host about failures and repairs that its results
// alone cannot show: a model that could not be saved, a damaged model file that was repaired or
// replaced, a backup, a folder or list file that could not be used.
//
// The record is plain data so that a C interface can mirror it field by field: the kind's values
// are fixed and never reused, paths and reasons are UTF-8, the environment is UTF-16 like every
// environment name the host passes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

enum class DiagnosticKind : std::int32_t {
  kModelNotSaved = 1,            // the model file was not written; the previous file is unchanged
  kModelFileRepaired = 2,        // part of the model file could not be used and was left out
  kModelFileReplaced = 3,        // nothing of the model file could be used: the model starts anew
  kBackupWritten = 4,            // a copy of a damaged model file was written (path: the copy)
  kBackupNotWritten = 5,         // that copy could not be written (path: the copy)
  kFolderNotCreated = 6,         // a folder could not be created; its files are not written
  kListFileUnusable = 7,         // a command list file could not be read, or held text that is not a list
  kListFileNotWritten = 8,       // the user-excluded list was not written; the previous file is unchanged
  kNamedSequenceNotWritten = 9,  // a named training sequence's table was not written
};

struct Diagnostic {
  DiagnosticKind kind = DiagnosticKind::kModelNotSaved;
  WString environment;  // the environment whose model the record is about; empty for other files
  std::string path;     // the file or folder concerned
  std::string reason;   // a short text: the system's error text when a system call failed
};

// Receives each record on the host's thread, once the step that produced it is complete.
using DiagnosticHandler = std::function<void(const Diagnostic&)>;

}  // namespace cmdpredict
