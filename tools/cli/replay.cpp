#include "replay.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>

#include "cmdpredict/prediction_command_manager.h"
#include "console.h"
#include "eval_report.h"
#include "evaluation.h"
#include "exit_status.h"
#include "input_file.h"
#include "json_output.h"
#include "model_files.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "process_memory.h"
#include "support/files/temporary_folder.h"

namespace cmdpredict::cli {
namespace {

using Clock = std::chrono::steady_clock;
using Predictions = std::vector<PredictionCommandManagerPredictionData>;

// Buffers the standard output of a long replay and writes it in large pieces.
class Output {
 public:
  explicit Output(std::FILE* file) : m_file(file) {}
  ~Output() { Flush(); }
  std::string& Buffer() { return m_buffer; }
  void FlushIfLarge() {
    if (m_buffer.size() > (1U << 20)) Flush();
  }
  void Flush() {
    std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
    std::fflush(m_file);
    m_buffer.clear();
  }

 private:
  std::FILE* m_file;
  std::string m_buffer;
};

// A progress bar on standard error for long replays, when a person is watching.
class Progress {
 public:
  static constexpr std::size_t kLongReplay = 100000;
  static constexpr std::size_t kBarWidth = 40;

  explicit Progress(std::size_t total)
      : m_total(total), m_shown(total > kLongReplay && StandardErrorIsTerminal()) {}
  void Update(std::size_t done) {
    if (!m_shown || done * 100 / m_total == m_percent) return;
    m_percent = done * 100 / m_total;
    const std::size_t filled = done * kBarWidth / m_total;
    std::fprintf(stderr, "\r[%s%s] %3zu%% (%zu of %zu events)", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '.').c_str(), m_percent, done, m_total);
  }
  void Finish() {
    if (m_shown) std::fprintf(stderr, "\r%80s\r", "");
  }

 private:
  std::size_t m_total;
  bool m_shown;
  std::size_t m_percent = 0;
};

// The application-data folder of a scored replay that was given none: fresh, so that a score does
// not depend on earlier runs, and removed at the end.
class ScratchAppData {
 public:
  ScratchAppData() : m_path(CreateTemporaryFolder("cmdpredict-eval-")) {}
  ~ScratchAppData() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(m_path), ignored);
  }
  ScratchAppData(const ScratchAppData&) = delete;
  ScratchAppData& operator=(const ScratchAppData&) = delete;
  std::string AppData() const { return m_path + kPathSeparator; }

 private:
  std::string m_path;
};

const char* DiagnosticText(DiagnosticKind kind) {
  switch (kind) {
    case DiagnosticKind::kModelNotSaved:
      return "model not saved";
    case DiagnosticKind::kModelFileRepaired:
      return "model file repaired";
    case DiagnosticKind::kModelFileReplaced:
      return "model file not used, the model starts anew";
    case DiagnosticKind::kBackupWritten:
      return "backup written";
    case DiagnosticKind::kBackupNotWritten:
      return "backup not written";
    case DiagnosticKind::kFolderNotCreated:
      return "folder not created";
    case DiagnosticKind::kListFileUnusable:
      return "list file not used in full";
    case DiagnosticKind::kListFileNotWritten:
      return "list file not written";
    case DiagnosticKind::kNamedSequenceNotWritten:
      return "named sequence not written";
  }
  return "unknown event";
}

// Prints each of the library's diagnostics as a warning and remembers the models not saved.
class Warnings {
 public:
  void operator()(const Diagnostic& diagnostic) {
    std::fprintf(stderr, "cmdpredict: warning: %s: %s: %s\n", DiagnosticText(diagnostic.kind),
                 diagnostic.path.c_str(), diagnostic.reason.c_str());
    if (diagnostic.kind == DiagnosticKind::kModelNotSaved) m_notSaved.insert(diagnostic.environment);
  }
  bool NotSaved(const WString& environment) const { return m_notSaved.count(environment) != 0; }

 private:
  std::set<WString> m_notSaved;
};

// True when the models are kept in the model folder, false when only in memory.
bool ConfigureManager(CPredictionCommandManager& manager, const ReplayOptions& options) {
  manager.SetMaxNumCommandsUsedForPrediction(options.maxHistory);
  if (options.depth != 0) manager.SetModelDepth(options.depth);
  const WString appData = Utf8ToWide(options.appData);
  const LONG initialized =
      manager.Initialize(CMDPREDICT_WIDE(""), appData.c_str(), options.history, options.maxHistory);
  manager.SetNumberOfPredictionCommands(options.predictions);
  if (!options.learn) manager.SetAddToPredictionModel(false);
  for (const std::string& file : options.excludeTraining)
    manager.LoadCommandsExcludedFromTraining(Utf8ToWide(file));
  if (!options.userExcluded.empty()) manager.LoadCommandsUserExcluded(Utf8ToWide(options.userExcluded));
  return initialized == S_OK;
}

RankedPositions TopPositions(const CPredictionCommandManager& manager, const WString& environment) {
  RankedPositions positions{};
  for (std::size_t i = 0; i < kRankedPositions; ++i) {
    positions[i] = manager.GetPredictionCommandID(environment, static_cast<int>(i));
  }
  return positions;
}

void AppendPredictions(std::string& out, const Predictions& predictions) {
  out += "[";
  for (std::size_t i = 0; i < predictions.size(); ++i) {
    if (i > 0) out += ",";
    out += "[" + std::to_string(predictions[i].commandId) + ",";
    AppendJsonDouble(out, predictions[i].probability);
    out += "]";
  }
  out += "]";
}

void AppendTraceLine(std::string& out, const LogEvent& event, const std::string& environment, LONG result,
                     const Predictions& predictions, const std::optional<Predictions>& scored) {
  out += "{\"line\":" + std::to_string(event.line) + ",\"env\":";
  AppendJsonString(out, environment);
  out += ",\"command\":" + std::to_string(event.command) + ",\"result\":" + std::to_string(result) +
         ",\"predictions\":";
  AppendPredictions(out, predictions);
  if (scored) {
    out += ",\"scored\":";
    AppendPredictions(out, *scored);
  }
  out += "}\n";
}

// The size of each environment's model file; -1 where there is none.
std::vector<std::int64_t> ModelFileSizes(const std::string& modelFolder, const CommandLog& log) {
  std::vector<std::int64_t> sizes;
  for (const std::string& environment : log.environments) {
    std::error_code error;
    const std::uintmax_t size =
        std::filesystem::file_size(std::filesystem::u8path(ModelFileOf(modelFolder, environment)), error);
    sizes.push_back(error ? -1 : static_cast<std::int64_t>(size));
  }
  return sizes;
}

std::int64_t CountFiles(const std::vector<std::int64_t>& sizes) {
  std::int64_t files = 0;
  for (const std::int64_t size : sizes) files += size >= 0 ? 1 : 0;
  return files;
}

// Tells on standard error where a scored replay starts from.
void AnnounceStart(const ReplayOptions& options, const ScratchAppData* scratch, const CommandLog& log) {
  const std::string modelFolder = ModelFolderOf(options.appData);
  if (scratch != nullptr) {
    std::fprintf(stderr,
                 "cmdpredict: --eval without --app-data: learning from scratch in %s (removed afterwards)\n",
                 modelFolder.c_str());
    return;
  }
  const std::int64_t existing = CountFiles(ModelFileSizes(modelFolder, log));
  if (existing > 0) {
    std::fprintf(stderr,
                 "cmdpredict: --eval starts from the existing models of %lld of %zu environments in %s\n",
                 static_cast<long long>(existing), log.environments.size(), modelFolder.c_str());
  }
}

int ReplayInto(const ReplayOptions& options, const CommandLog& log, std::FILE* out) {
  // Names are converted once; the log was checked, so every name is valid UTF-8.
  std::vector<WString> environments;
  for (const std::string& name : log.environments) environments.push_back(Utf8ToWide(name));

  CPredictionCommandManager manager;
  auto warnings = std::make_shared<Warnings>();
  manager.SetDiagnosticHandler([warnings](const Diagnostic& diagnostic) { (*warnings)(diagnostic); });
  const bool modelsKept = ConfigureManager(manager, options);

  Output output(out);
  Evaluation evaluation(log.environments.size());
  std::vector<bool> used(log.environments.size(), false);
  Progress progress(log.events.size());
  const auto start = Clock::now();
  for (std::size_t i = 0; i < log.events.size(); ++i) {
    const LogEvent& event = log.events[i];
    const std::string& name = log.environments[event.environment];
    if (options.eval) {
      evaluation.AddEvent(event.environment, event.command,
                          TopPositions(manager, environments[event.environment]));
    }
    // The manager loads an environment on its first use, so before it the scored list is empty.
    std::optional<Predictions> scored;
    if (options.traceScored) {
      scored.emplace();
      if (used[event.environment]) manager.GetPredictionCommandIDs(name.c_str(), *scored);
    }

    const auto before = Clock::now();
    const LONG result = manager.BeforeCommandRun(event.command, nullptr, name.c_str(), event.runKind, 0);
    evaluation.AddLatency(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
    used[event.environment] = true;

    if (options.trace) {
      Predictions predictions;
      manager.GetPredictionCommandIDs(name.c_str(), predictions);
      AppendTraceLine(output.Buffer(), event, name, result, predictions, scored);
      output.FlushIfLarge();
    }
    progress.Update(i + 1);
  }
  progress.Finish();

  ReplayTotals totals;
  totals.environments = log.environments;
  totals.modelFolder = ModelFolderOf(options.appData);
  totals.perEnvironment = options.perEnvironment;
  LONG quit = S_OK;
  if (options.save) {
    quit = manager.BeforeQuit();
    totals.modelBytes = ModelFileSizes(totals.modelFolder, log);
    // Only the models saved now count, not files that stood there before.
    for (std::size_t e = 0; e < environments.size(); ++e) {
      if (!modelsKept || warnings->NotSaved(environments[e])) totals.modelBytes[e] = -1;
    }
    totals.modelsWritten = CountFiles(totals.modelBytes);
  }
  totals.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  totals.peakMemoryBytes = PeakResidentBytes();
  if (!options.saveUserExcluded.empty())
    manager.SaveCommandsUserExcluded(Utf8ToWide(options.saveUserExcluded));

  if (options.eval) {
    output.Buffer() +=
        options.json || options.trace ? SummaryJson(evaluation, totals) : SummaryText(evaluation, totals);
  }
  return quit == S_OK ? kExitOk : kExitFileError;
}

}  // namespace

int Replay(const ReplayOptions& options, const CommandLog& log, std::FILE* out) {
  // The library skips a list it cannot read; a list named on the command line must be there.
  for (const std::string& file : options.excludeTraining) {
    std::string text;
    std::string reason;
    if (!ReadInputFile(file, text, reason)) {
      std::fprintf(stderr, "%s: cannot read the training-exclusion list: %s\n", file.c_str(), reason.c_str());
      return kExitFileError;
    }
  }
  std::unique_ptr<ScratchAppData> scratch;
  ReplayOptions effective = options;
  if (effective.appData.empty()) {
    scratch = std::make_unique<ScratchAppData>();
    effective.appData = scratch->AppData();
  }
  if (effective.eval) AnnounceStart(effective, scratch.get(), log);
  return ReplayInto(effective, log, out);
}

}  // namespace cmdpredict::cli
