// The C interface: each function checks its arguments, converts UTF-8 text to the manager's UTF-16
// names, calls the C++ manager and turns every exception into a status code, so that nothing but a
// status ever crosses the boundary.
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cmdpredict/cmdpredict.h"
#include "cmdpredict/diagnostics.h"
#include "cmdpredict/prediction_command_manager.h"
#include "platform/paths.h"
#include "platform/unicode.h"

struct cmdpredict_manager {
  CPredictionCommandManager manager;
  bool initialized = false;
  std::vector<PredictionCommandManagerPredictionData> records;  // reused by cmdpredict_get_predictions
};

namespace {

using cmdpredict::WString;

using cmdpredict::DiagnosticKind;

// The C kinds are the C++ kinds' values.
static_assert(CMDPREDICT_DIAGNOSTIC_MODEL_NOT_SAVED == static_cast<int>(DiagnosticKind::kModelNotSaved));
static_assert(CMDPREDICT_DIAGNOSTIC_MODEL_FILE_REPAIRED ==
              static_cast<int>(DiagnosticKind::kModelFileRepaired));
static_assert(CMDPREDICT_DIAGNOSTIC_MODEL_FILE_REPLACED ==
              static_cast<int>(DiagnosticKind::kModelFileReplaced));
static_assert(CMDPREDICT_DIAGNOSTIC_BACKUP_WRITTEN == static_cast<int>(DiagnosticKind::kBackupWritten));
static_assert(CMDPREDICT_DIAGNOSTIC_BACKUP_NOT_WRITTEN ==
              static_cast<int>(DiagnosticKind::kBackupNotWritten));
static_assert(CMDPREDICT_DIAGNOSTIC_FOLDER_NOT_CREATED ==
              static_cast<int>(DiagnosticKind::kFolderNotCreated));
static_assert(CMDPREDICT_DIAGNOSTIC_LIST_FILE_UNUSABLE ==
              static_cast<int>(DiagnosticKind::kListFileUnusable));
static_assert(CMDPREDICT_DIAGNOSTIC_LIST_FILE_NOT_WRITTEN ==
              static_cast<int>(DiagnosticKind::kListFileNotWritten));
static_assert(CMDPREDICT_DIAGNOSTIC_NAMED_SEQUENCE_NOT_WRITTEN ==
              static_cast<int>(DiagnosticKind::kNamedSequenceNotWritten));

// Runs the body and maps what it throws to a status: the one place where exceptions stop.
template <typename Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return CMDPREDICT_ERROR_OUT_OF_MEMORY;
  } catch (const std::range_error&) {
    return CMDPREDICT_ERROR_INVALID_UTF8;  // the only range error the manager throws: a bad conversion
  } catch (...) {
    return CMDPREDICT_ERROR_INTERNAL;
  }
}

// The checks every operation on an initialised manager and a named environment or file shares.
int CheckReady(const cmdpredict_manager* handle, const char* text) {
  if (handle == nullptr || text == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return handle->initialized ? CMDPREDICT_OK : CMDPREDICT_ERROR_NOT_INITIALIZED;
}

// The manager names the model folder by plain concatenation: make sure the folder ends with a
// separator so that "ModelPrediction" lands inside it.
WString FolderWithSeparator(const char* folder) {
  WString wide = cmdpredict::Utf8ToWide(folder);
  if (!wide.empty() && wide.back() != static_cast<cmdpredict::WChar>(cmdpredict::kPathSeparator)) {
    wide.push_back(static_cast<cmdpredict::WChar>(cmdpredict::kPathSeparator));
  }
  return wide;
}

}  // namespace

extern "C" {

const char* cmdpredict_version(void) { return CMDPREDICT_VERSION; }

const char* cmdpredict_status_text(int status) {
  switch (status) {
    case CMDPREDICT_OK:
      return "ok";
    case CMDPREDICT_NOT_LEARNT:
      return "command not learnt";
    case CMDPREDICT_MEMORY_ONLY:
      return "folder not created: models kept in memory only";
    case CMDPREDICT_ERROR_INVALID_ARGUMENT:
      return "invalid argument";
    case CMDPREDICT_ERROR_INVALID_UTF8:
      return "invalid UTF-8";
    case CMDPREDICT_ERROR_OUT_OF_MEMORY:
      return "out of memory";
    case CMDPREDICT_ERROR_NOT_INITIALIZED:
      return "manager not initialised";
    case CMDPREDICT_ERROR_SAVE_FAILED:
      return "a model could not be saved";
    case CMDPREDICT_ERROR_INTERNAL:
      return "internal error";
    default:
      return "unknown status";
  }
}

int cmdpredict_create(cmdpredict_manager** manager) {
  if (manager == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  *manager = nullptr;
  return Guarded([&] {
    *manager = new cmdpredict_manager;
    return CMDPREDICT_OK;
  });
}

void cmdpredict_destroy(cmdpredict_manager* manager) { delete manager; }

int cmdpredict_initialize(cmdpredict_manager* manager, const char* app_data_folder, int history,
                          int max_history, int predictions, int model_depth) {
  if (manager == nullptr || history < 0 || max_history < 1 || predictions < 0) {
    return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  }
  return Guarded([&] {
    const WString folder = app_data_folder == nullptr ? WString() : FolderWithSeparator(app_data_folder);
    CPredictionCommandManager& host = manager->manager;
    // The depth goes first: the manager refuses one out of range without changing anything.
    if (model_depth != 0 && host.SetModelDepth(model_depth) != S_OK) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
    // The manager lowers the history to the maximum in force before Initialize: set the new one first.
    host.SetMaxNumCommandsUsedForPrediction(max_history);
    const LONG result = host.Initialize(
        CMDPREDICT_WIDE(""), app_data_folder == nullptr ? nullptr : folder.c_str(), history, max_history);
    if (result == E_OUTOFMEMORY) return CMDPREDICT_ERROR_OUT_OF_MEMORY;
    host.SetNumberOfPredictionCommands(predictions);
    manager->initialized = true;
    return result == S_FALSE ? CMDPREDICT_MEMORY_ONLY : CMDPREDICT_OK;
  });
}

int cmdpredict_report_command(cmdpredict_manager* manager, const char* environment, int command_id,
                              unsigned int run_kind) {
  if (const int status = CheckReady(manager, environment); status != CMDPREDICT_OK) return status;
  return Guarded([&] {
    const LONG result = manager->manager.BeforeCommandRun(command_id, nullptr, environment, run_kind, 0);
    return result == S_OK ? CMDPREDICT_OK : CMDPREDICT_NOT_LEARNT;
  });
}

int cmdpredict_take_back_last_command(cmdpredict_manager* manager, const char* environment, int* command_id) {
  if (command_id == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  if (const int status = CheckReady(manager, environment); status != CMDPREDICT_OK) return status;
  return Guarded([&] {
    *command_id = manager->manager.RemoveTrainingSequenceCommand(cmdpredict::Utf8ToWide(environment));
    return CMDPREDICT_OK;
  });
}

int cmdpredict_get_predictions(cmdpredict_manager* manager, const char* environment, int* command_ids,
                               double* probabilities, size_t capacity, size_t* count) {
  if (count == nullptr || (capacity > 0 && (command_ids == nullptr || probabilities == nullptr))) {
    return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  }
  if (const int status = CheckReady(manager, environment); status != CMDPREDICT_OK) return status;
  return Guarded([&] {
    std::vector<PredictionCommandManagerPredictionData>& records = manager->records;
    records.clear();
    manager->manager.GetPredictionCommandIDs(environment, records);
    const std::size_t copied = std::min(capacity, records.size());
    for (std::size_t i = 0; i < copied; ++i) {
      command_ids[i] = records[i].commandId;
      probabilities[i] = records[i].probability;
    }
    *count = records.size();
    return CMDPREDICT_OK;
  });
}

int cmdpredict_get_prediction(cmdpredict_manager* manager, const char* environment, int index,
                              int* command_id) {
  if (command_id == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  if (const int status = CheckReady(manager, environment); status != CMDPREDICT_OK) return status;
  return Guarded([&] {
    *command_id = manager->manager.GetPredictionCommandID(cmdpredict::Utf8ToWide(environment), index);
    return CMDPREDICT_OK;
  });
}

int cmdpredict_load_excluded_from_training(cmdpredict_manager* manager, const char* path) {
  if (manager == nullptr || path == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return Guarded([&] {
    manager->manager.LoadCommandsExcludedFromTraining(cmdpredict::Utf8ToWide(path));
    return CMDPREDICT_OK;
  });
}

int cmdpredict_load_user_excluded(cmdpredict_manager* manager, const char* path) {
  if (manager == nullptr || path == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return Guarded([&] {
    manager->manager.LoadCommandsUserExcluded(cmdpredict::Utf8ToWide(path));
    return CMDPREDICT_OK;
  });
}

int cmdpredict_save_user_excluded(cmdpredict_manager* manager, const char* path) {
  if (manager == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return Guarded([&] {
    if (path == nullptr) {
      manager->manager.SaveCommandsUserExcluded();
    } else {
      manager->manager.SaveCommandsUserExcluded(cmdpredict::Utf8ToWide(path));
    }
    return CMDPREDICT_OK;
  });
}

int cmdpredict_save_models(cmdpredict_manager* manager) {
  if (manager == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return Guarded(
      [&] { return manager->manager.BeforeQuit() == S_OK ? CMDPREDICT_OK : CMDPREDICT_ERROR_SAVE_FAILED; });
}

int cmdpredict_set_diagnostic_handler(cmdpredict_manager* manager, cmdpredict_diagnostic_handler handler,
                                      void* user_data) {
  if (manager == nullptr) return CMDPREDICT_ERROR_INVALID_ARGUMENT;
  return Guarded([&] {
    if (handler == nullptr) {
      manager->manager.SetDiagnosticHandler(nullptr);
      return CMDPREDICT_OK;
    }
    manager->manager.SetDiagnosticHandler([handler, user_data](const cmdpredict::Diagnostic& diagnostic) {
      const std::string environment = cmdpredict::WideToUtf8Path(diagnostic.environment);
      const cmdpredict_diagnostic record{static_cast<int>(diagnostic.kind), environment.c_str(),
                                         diagnostic.path.c_str(), diagnostic.reason.c_str()};
      handler(&record, user_data);
    });
    return CMDPREDICT_OK;
  });
}

}  // extern "C"
