#include "replay.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>

#include "cmdpredict/prediction_command_manager.h"
#include "evaluation.h"
#include "json_output.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "platform/unicode.h"
#include "support/files/file_name_escape.h"

namespace cmdpredict::cli {
namespace {

using Clock = std::chrono::steady_clock;

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

// A progress line on standard error for long replays, when a person is watching.
class Progress {
 public:
  explicit Progress(std::size_t total) : m_total(total), m_shown(total > 100000 && StandardErrorIsTerminal()) {}
  void Update(std::size_t done) {
    if (!m_shown || done * 100 / m_total == m_percent) return;
    m_percent = done * 100 / m_total;
    std::fprintf(stderr, "\rreplaying %3zu%% (%zu of %zu events)", m_percent, done, m_total);
  }
  void Finish() {
    if (m_shown) std::fprintf(stderr, "\r%60s\r", "");
  }

 private:
  std::size_t m_total;
  bool m_shown;
  std::size_t m_percent = 0;
};

void ConfigureManager(CPredictionCommandManager& manager, const ReplayOptions& options) {
  manager.SetMaxNumCommandsUsedForPrediction(options.maxHistory);
  const WString appData = Utf8ToWide(options.appData);
  manager.Initialize(CMDPREDICT_WIDE(""), appData.c_str(), options.history, options.maxHistory);
  manager.SetNumberOfPredictionCommands(options.predictions);
  if (!options.learn) manager.SetAddToPredictionModel(false);
  for (const std::string& file : options.excludeTraining) manager.LoadCommandsExcludedFromTraining(Utf8ToWide(file));
  if (!options.userExcluded.empty()) manager.LoadCommandsUserExcluded(Utf8ToWide(options.userExcluded));
}

std::array<int, Evaluation::kPositions> TopPositions(const CPredictionCommandManager& manager,
                                                     const WString& environment) {
  std::array<int, Evaluation::kPositions> positions{};
  for (int i = 0; i < Evaluation::kPositions; ++i) positions[static_cast<std::size_t>(i)] = manager.GetPredictionCommandID(environment, i);
  return positions;
}

void AppendTraceLine(std::string& out, const LogEvent& event, const std::string& environment, LONG result,
                     const std::vector<PredictionCommandManagerPredictionData>& predictions) {
  out += "{\"line\":" + std::to_string(event.line) + ",\"env\":";
  AppendJsonString(out, environment);
  out += ",\"command\":" + std::to_string(event.command) + ",\"result\":" + std::to_string(result) +
         ",\"predictions\":[";
  for (std::size_t i = 0; i < predictions.size(); ++i) {
    if (i > 0) out += ",";
    out += "[" + std::to_string(predictions[i].commandId) + ",";
    AppendJsonDouble(out, predictions[i].probability);
    out += "]";
  }
  out += "]}\n";
}

std::string ModelFolder(const ReplayOptions& options) { return options.appData + "ModelPrediction"; }

std::int64_t CountModelFiles(const ReplayOptions& options, const std::vector<WString>& environments) {
  std::int64_t written = 0;
  for (const WString& environment : environments) {
    const std::string file = ModelFolder(options) + kPathSeparator + WideToUtf8Path(EscapeFileName(environment)) +
                             ".ContextTree";
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) ++written;
  }
  return written;
}

}  // namespace

int Replay(const ReplayOptions& options, const CommandLog& log, std::FILE* out) {
  // Names are converted once; the log was checked, so every name is valid UTF-8.
  std::vector<WString> environments;
  for (const std::string& name : log.environments) environments.push_back(Utf8ToWide(name));

  std::error_code ignored;  // a folder that cannot be made shows as models written to nowhere
  std::filesystem::create_directories(std::filesystem::path(options.appData).parent_path().parent_path(), ignored);

  CPredictionCommandManager manager;
  ConfigureManager(manager, options);

  Output output(out);
  Evaluation evaluation;
  Progress progress(log.events.size());
  const auto start = Clock::now();
  for (std::size_t i = 0; i < log.events.size(); ++i) {
    const LogEvent& event = log.events[i];
    const std::string& name = log.environments[event.environment];
    if (options.eval) evaluation.AddEvent(event.command, TopPositions(manager, environments[event.environment]));

    const auto before = Clock::now();
    const LONG result = manager.BeforeCommandRun(event.command, nullptr, name.c_str(), event.runKind, 0);
    evaluation.AddLatency(std::chrono::duration<double, std::micro>(Clock::now() - before).count());

    if (options.trace) {
      std::vector<PredictionCommandManagerPredictionData> predictions;
      manager.GetPredictionCommandIDs(name.c_str(), predictions);
      AppendTraceLine(output.Buffer(), event, name, result, predictions);
      output.FlushIfLarge();
    }
    progress.Update(i + 1);
  }
  progress.Finish();

  ReplayTotals totals;
  totals.environments = log.environments.size();
  totals.modelFolder = ModelFolder(options);
  if (options.save) {
    manager.BeforeQuit();
    totals.modelsWritten = CountModelFiles(options, environments);
  }
  totals.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!options.saveUserExcluded.empty()) manager.SaveCommandsUserExcluded(Utf8ToWide(options.saveUserExcluded));

  if (options.eval) output.Buffer() += options.trace ? SummaryJson(evaluation, totals) : SummaryText(evaluation, totals);
  return 0;
}

}  // namespace cmdpredict::cli
