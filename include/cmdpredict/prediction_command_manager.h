// CPredictionCommandManager: the whole host interface of cmdpredict.
//
// A host creates one manager, calls Initialize once with its application-data folder, reports each
// command the user starts with BeforeCommandRun (naming the working environment it runs in), reads
// the ranked predictions of an environment whenever it likes, and calls BeforeQuit when it closes.
// The manager learns, per environment, which commands tend to follow which, and keeps for each
// environment a ranked list of likely next commands with their probabilities.
//
// Threading: every operation must be called on one thread (the host's user-interface thread); the
// keyboard hook runs on that thread too. Nothing is locked and nothing may run concurrently.
//
// Results typed LONG are HRESULT values: S_OK (0), S_FALSE (1, "not learnt"), E_OUTOFMEMORY,
// E_INVALIDARG, E_FAIL. Environment names are UTF-16 strings compared by code units
// (case-sensitive). BeforeCommandRun and GetPredictionCommandIDs take them as UTF-8 and throw
// std::range_error("bad conversion") for invalid UTF-8, before anything has changed.
//
// Failures and what the host sees:
// - Initialize returns S_FALSE when the application-data folder (created with its missing
//   parents) or its "ModelPrediction" sub-folder cannot be created. The models then stay in memory
//   only: nothing is read or written relative to the current folder. The host may go on.
// - BeforeQuit returns E_FAIL when a model could not be written (every model is still tried); the
//   model's previous file is left as it was.
// - Everything else that goes wrong with a file is not visible in a result: a damaged model file is
//   repaired (or its model starts anew) and backed up beside it, a list file cannot be read, a
//   table cannot be written. Each such event, and each of the two failures above, reaches the
//   handler set with SetDiagnosticHandler as one cmdpredict::Diagnostic record (see
//   cmdpredict/diagnostics.h). Without a handler nothing is printed or logged anywhere.
// - The handler is called on the calling thread, before the operation returns, once the step that
//   produced the record (loading a model, saving the models, ...) is complete: never while the
//   manager's state is half changed. The handler may call the manager. Whatever it throws is
//   caught and dropped, record by record: the remaining records are still delivered and the
//   operation returns its own result, so a failing handler costs the host neither its models nor
//   an honest BeforeQuit.
#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "cmdpredict/bstr.h"
#include "cmdpredict/diagnostics.h"
#include "cmdpredict/export.h"
#include "cmdpredict/platform_types.h"
#include "cmdpredict/prediction_records.h"

class CPredictionModelManager;

class CMDPREDICT_API CPredictionCommandManager {
 public:
  using WString = cmdpredict::WString;
  using WChar = cmdpredict::WChar;
  using CommandIdList = std::list<DWORD>;
  using NamedTrainingSequenceMap = std::map<WString, std::vector<NamedTrainingCommandSequence>>;
  using Diagnostic = cmdpredict::Diagnostic;
  using DiagnosticHandler = cmdpredict::DiagnosticHandler;

  // --- State, options and lifecycle -----------------------------------------------------------

  // Options at their defaults: one command of history, at most 10 latest commands per environment,
  // 10 predictions, training on, keyboard accelerator off. No model manager until Initialize.
  CPredictionCommandManager();
  // Copies share the model manager and the prediction positions with the original.
  CPredictionCommandManager(const CPredictionCommandManager& other);
  CPredictionCommandManager& operator=(const CPredictionCommandManager& other);
  // Saves nothing. Removes the keyboard hook when it serves this manager.
  ~CPredictionCommandManager();

  // Creates the model manager (E_OUTOFMEMORY when that fails), stores the two history options
  // (the first lowered to the maximum in force before this call), and, when appDataFolder is not
  // null, creates that folder with its missing parents and its sub-folder "ModelPrediction" and
  // keeps the models there. The sub-folder path is the plain concatenation of the folder and
  // "ModelPrediction": pass the folder with a trailing separator to place the models inside it.
  // When a folder cannot be created: S_FALSE, models in memory only, and a diagnostic.
  // ignoredString is not examined. No model is read here: each environment's model is loaded on
  // its first use.
  LONG Initialize(const WChar* ignoredString, const WChar* appDataFolder, int numCommandsUsedForPrediction,
                  int maxNumCommandsUsedForPrediction);

  DWORD GetLastCommandInfoId() const;
  void SetLastCommandInfoId(DWORD id);
  int GetMinimumNumberOfCommandsToAddToPredictionModel() const;
  void SetMinimumNumberOfCommandsToAddToPredictionModel(int count);
  // How many predictions each refresh asks for; 0 or less asks for all.
  int GetNumberOfPredictionCommands() const;
  void SetNumberOfPredictionCommands(int count);
  // When false, commands still enter the latest-command lists but do not train the models.
  bool GetAddToPredictionModel() const;
  void SetAddToPredictionModel(bool add);
  // Turning the option on installs the keyboard hook, turning it off removes it.
  bool GetAutoStartTopPrediction() const;
  void SetAutoStartTopPrediction(bool autoStart);
  // How many of an environment's latest commands form the history that predictions are made from.
  int GetNumCommandsUsedForPrediction() const;
  // Stores n lowered to the maximum number of latest commands and returns the value stored; there
  // is no lower bound (0 or less means an empty history).
  int SetNumCommandsUsedForPrediction(int n);
  // How many latest commands each environment keeps (a negative value: no limit).
  int GetMaxNumCommandsUsedForPrediction() const;
  void SetMaxNumCommandsUsedForPrediction(int n);

  // Model depth, an option beyond the written behaviour: the longest run of commands that each
  // environment model learns and predicts from. Until a host calls SetModelDepth, models are 100
  // deep and a loaded model takes its file's depth. Once set (before or after Initialize), every
  // environment model gets the depth: models created later, models already loaded (at once), and
  // models loaded from a file (a deeper file is trimmed to the depth, its nodes below it dropped,
  // and written lean at the next save; a shallower one learns deeper runs from then on). A
  // prediction from h commands of history reads nothing deeper than h + 1 levels, so
  // SetModelDepth(maxHistory + 1) predicts exactly what depth 100 does, with far smaller models.
  // E_INVALIDARG, changing nothing, for a depth outside 1 to 128; otherwise S_OK.
  LONG SetModelDepth(int depth);
  // The depth set, or 100 when none was.
  int GetModelDepth() const;

  void UpdateOptions();
  LONG AfterCommandRun(LONG commandId);
  // Saves every loaded model: S_OK when each was written (or there is no model folder), E_FAIL
  // when any was not, after trying all.
  LONG BeforeQuit();
  // Saves every loaded model; a model not written is reported to the diagnostic handler only.
  void SavePredictionModels();
  // The host's receiver of diagnostic records (see "Failures and what the host sees" above);
  // an empty handler turns them off. Copies of the manager take the handler along.
  void SetDiagnosticHandler(DiagnosticHandler handler);

  // --- Command events ---------------------------------------------------------------------------

  // Reports a command that is about to run in the environment named by the UTF-8 text (not null).
  // runKind 1 means "do not learn this run"; context and runData are passed through unexamined.
  // Returns S_OK when the command was learnt, S_FALSE otherwise.
  LONG BeforeCommandRun(LONG commandId, IUnknown* context, const char* environment, DWORD runKind,
                        DWORD runData);
  LONG RecordTrainingSequenceCommand(LONG commandId, IUnknown* context, const WString& environment,
                                     DWORD runKind, DWORD runData);
  bool ShouldRecordTrainingSequenceCommand(LONG commandId, IUnknown* context, DWORD runKind, DWORD runData);
  // Takes the environment's last learnt command back out of its model; returns it, or 0.
  LONG RemoveTrainingSequenceCommand(const WString& environment);
  // Takes commandId back only when it is the command this manager learnt last.
  bool RemoveLastTrainingSequenceCommand(const WString& environment, LONG commandId);
  // An identifier from the host-filled list stored under the name (see SetCommandIdList), or 0.
  DWORD LastCommandId(const _bstr_t& name) const;
  // Stores a list that LastCommandId reads, replacing any list of that name.
  void SetCommandIdList(const _bstr_t& name, const CommandIdList& ids);

  // --- Predictions --------------------------------------------------------------------------------

  // Rebuilds the environment's ranked list in place from the predictions last computed for it.
  void UpdatePredictions(const WString& environment);
  // Loads the environment's model on first use and refreshes when it is not the current one.
  void GenerateInitialPredictions(const WString& environment);
  // Appends one record per position of the environment's list, best first (the vector is not
  // cleared). An environment never used before is loaded and predicted first. Always true.
  bool GetPredictionCommandIDs(const char* environment,
                               std::vector<PredictionCommandManagerPredictionData>& predictions);
  // The command at a position, 0 when there is none. Never runs a model and never allocates.
  int GetPredictionCommandID(const WString& environment, int index) const;
  // Sets commandId to the command at the position and returns true when the position changed since
  // it was last read this way; otherwise sets commandId to 0 and returns false.
  bool GetPredictionCommandIDIfUpdated(const WString& environment, int index, int& commandId);
  bool NewPredictionsAvailable(const WString& environment) const;
  void SetNewPredictionsAvailable(const WString& environment);

  // --- Latest commands of each environment ------------------------------------------------------

  // Appends the command unless it repeats the last one; false when refused.
  bool AddCommandToCommandsUsedForPrediction(const WString& environment, LONG commandId);
  // Appends the newest `count` commands of the environment to `commands`, oldest first.
  void GetCommandsToUseForPrediction(const WString& environment, int count, std::vector<int>& commands) const;
  std::size_t GetNumberOfCommandsAvailableForPrediction(const WString& environment) const;
  // Removes the first occurrence of the command from every environment's list and refreshes the
  // named environment; true when the named environment's list held it.
  bool RemoveCommandFromCommandsUsedForPrediction(const WString& environment, LONG commandId);

  // --- Keyboard accelerator -----------------------------------------------------------------------

  // Installs the process's keyboard hook for the calling thread, serving this manager, unless a
  // hook is installed already. See cmdpredict/key_events.h for how a host feeds it key events.
  void SetTovrelKeyboardHook();
  // Removes the installed hook, whichever manager installed it.
  void RemoveTovrelKeyboardHook();

  // --- Application-data folders -------------------------------------------------------------------

  // True when the application-data folder exists or was created now (one level).
  bool CreateAppDataFolder();
  // Creates the folder "<application-data folder><name>" (plain concatenation); on success
  // replaces name by that path and returns true, otherwise leaves name alone and returns false.
  bool CreateAppDataSubFolder(WString& name);

  // --- Exclusion lists ------------------------------------------------------------------------------

  // Adds every identifier of a comma-separated text file to the commands excluded from training:
  // they are never learnt (except identifiers 62000 to 63999) and never predicted.
  void LoadCommandsExcludedFromTraining(const WString& fileName);
  // Reads identifier,flag pairs (flag 0: not excluded) into the user-excluded list, and remembers
  // the file name for SaveCommandsUserExcluded(), also when the file cannot be read (a first run).
  void LoadCommandsUserExcluded(const WString& fileName);
  void AddCommandIDToUserExcludedCommands(LONG commandId);
  // Writes the user-excluded list (and every command seen while recording, with flag 0) as one
  // line "id,flag,id,flag,..." in ascending identifier order. Always S_OK.
  LONG SaveCommandsUserExcluded(const WString& fileName);
  LONG SaveCommandsUserExcluded();
  // The file that SaveCommandsUserExcluded() writes.
  void SetUserExcludedCommandsFile(const WString& fileName);

  // --- Named training sequences ---------------------------------------------------------------------

  // Writes the record as "<folder><group>/<name><time>.csv", or "<folder><name><time>.csv" for an
  // empty group, <time> being seconds since 1970. Characters that file names cannot hold are
  // escaped in the group and the name (as %XX), and so are the dots of a group made only of dots
  // and spaces; a file that exists already is never replaced: "-2", "-3", ... goes before ".csv".
  // Cells holding a comma, a double quote, CR or LF are quoted as in RFC 4180; characters above
  // U+007F are written as "?". Returns E_INVALIDARG when the record has a different number of
  // column names and columns, otherwise S_OK whether or not a file was written.
  LONG SaveNamedTrainingSequence(const WString& group, const NamedTrainingCommandSequence& record);
  void SaveNamedTrainingSequences(const NamedTrainingSequenceMap& sequences);
  void SaveNamedTrainingSequences();
  // The folder that receives the .csv files.
  void SetNamedSequencesFolder(const WString& folder);
  // The sequences that SaveNamedTrainingSequences() writes.
  void SetNamedTrainingSequences(const NamedTrainingSequenceMap& sequences);

 private:
  using Slots = std::vector<std::shared_ptr<PredictionSlot>>;

  // The newest m_numCommandsUsedForPrediction commands of the environment, oldest first.
  void GetHistory(const WString& environment, std::vector<int>& history) const;
  // Hands each record to the diagnostic handler, if one is set.
  void Report(const std::vector<Diagnostic>& diagnostics) const;
  // Reports what the model manager collected while loading and saving models.
  void ReportModelDiagnostics();

  // Fields in the order of the original interface; the spare ones are never used and kept only so
  // that the declaration keeps its shape.
  DWORD m_lastCommandInfoId = 0;
  std::map<LONG, bool> m_commandsExcludedFromTraining;
  WString m_spareString1;
  LONG m_lastRecordedCommandId = 0;
  std::shared_ptr<CPredictionModelManager> m_modelManager;
  int m_minimumNumberOfCommandsToAddToPredictionModel = 1;
  int m_numberOfPredictionCommands = 10;
  std::map<WString, Slots> m_predictions;
  WString m_currentEnvironment;
  std::map<WString, bool> m_newPredictionsAvailable;
  bool m_addToPredictionModel = true;
  bool m_autoStartTopPrediction = false;
  std::map<LONG, bool> m_commandsSeen;
  std::map<LONG, bool> m_commandsUserExcluded;
  WString m_userExcludedCommandsFile;
  std::map<_bstr_t, CommandIdList> m_commandIdLists;
  std::map<_bstr_t, CommandIdList> m_spareIdLists1;
  std::map<_bstr_t, std::vector<std::pair<_bstr_t, CommandIdList>>> m_spareIdListGroups;
  std::map<_bstr_t, CommandIdList> m_spareIdLists2;
  WString m_appDataFolder;
  WString m_spareString2;
  _bstr_t m_spareName;
  WString m_namedSequencesFolder;
  NamedTrainingSequenceMap m_namedTrainingSequences;
  int m_numCommandsUsedForPrediction = 1;
  int m_maxNumCommandsUsedForPrediction = 10;
  std::map<WString, std::vector<int>> m_commandsUsedForPrediction;
  DiagnosticHandler m_diagnosticHandler;
  int m_modelDepth = 0;  // 0 until the host sets a depth
};
