// Kills processes that save large model files at random moments and checks what they leave, and
// lets several processes save the same models into one folder at once.
//
//   model_file_crash_test kills   [--kills N] [--models M] [--items K] [--folder DIR]
//   model_file_crash_test writers [--writers W] [--rounds R] [--models M] [--items K] [--folder DIR]
//
// kills: a child process saves M models over and over, each save with one more item learnt, and is
// killed with SIGKILL at a random moment, N times. After each kill every model file loads in full
// and holds the text of its last save that ended or of the save that the kill interrupted, and no
// temporary is left of a model that was saved in full since (a temporary of the interrupted save
// may stay until the next save of its model). A last child that is not killed must leave the model
// files and no temporary at all.
//
// writers: W processes save the same M models, each with trees of its own, R times each, all at
// once. Every save succeeds; afterwards every model file loads in full and holds the text of one
// writer's last save, and no temporary is left.
//
// Each child writes a journal: a record before and after each save, with the hash of the text it
// saves. Exit status 0 when every check held; each failed check is printed. POSIX only.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "platform/temporary_file_name.h"
#include "support/json/json_document.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Quenmar::Intel::ContextTree;

struct Options {
  int kills = 20;
  int writers = 3;
  int rounds = 5;
  int models = 3;
  int items = 4000;
  std::string folder;  // a temporary folder when empty
};

// One journal record, written in one write(2) call, so that a kill leaves it whole or absent.
struct JournalRecord {
  std::uint32_t model;
  std::uint32_t ended;  // 0: the save starts, 1: it ended successfully
  std::uint64_t hash;
};

std::uint64_t HashOf(const std::string& text) { return std::hash<std::string>{}(text); }

std::string ModelName(int model) { return "M" + std::to_string(model) + ".ContextTree"; }

// A pipe whose write end the parent closes to let every saver start at once.
class StartSignal {
 public:
  StartSignal() {
    if (::pipe(m_ends) != 0) m_ends[0] = m_ends[1] = -1;
  }
  ~StartSignal() {
    CloseWriteEnd();
    if (m_ends[0] >= 0) ::close(m_ends[0]);
  }
  StartSignal(const StartSignal&) = delete;
  StartSignal& operator=(const StartSignal&) = delete;

  void CloseWriteEnd() {
    if (m_ends[1] >= 0) ::close(m_ends[1]);
    m_ends[1] = -1;
  }
  // In a saver: returns when the parent has closed its write end.
  void Await() {
    CloseWriteEnd();
    char byte = 0;
    while (::read(m_ends[0], &byte, 1) > 0) {
    }
  }

 private:
  int m_ends[2];
};

// The trees that a child saves: depth 6, learnt from a stream of a few hundred commands that depends
// on the writer and the model, so that every save has a text of its own.
std::vector<std::unique_ptr<ContextTree>> BuildTrees(const Options& options, int writer) {
  std::vector<std::unique_ptr<ContextTree>> trees;
  for (int model = 0; model < options.models; ++model) {
    auto tree = std::make_unique<ContextTree>(6, 1);
    std::mt19937 stream(static_cast<std::uint32_t>(writer * 1000 + model));
    for (int item = 0; item < options.items; ++item) tree->AddItem(std::to_string(stream() % 300));
    trees.push_back(std::move(tree));
  }
  return trees;
}

// One child's saves: `rounds` rounds over every model (endlessly when negative), each with one more
// item learnt. Tells the parent on `ready` when its trees are built and starts on the signal; exits 1
// when a save fails.
[[noreturn]] void RunSaver(const Options& options, const std::string& models, const std::string& journalPath,
                           int writer, int rounds, int ready, StartSignal& start) {
  auto trees = BuildTrees(options, writer);
  const int journal = ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  const char byte = 1;
  if (journal < 0 || ::write(ready, &byte, 1) != 1) _exit(2);
  ::close(ready);
  start.Await();
  for (int round = 0; rounds < 0 || round < rounds; ++round) {
    for (int model = 0; model < options.models; ++model) {
      ContextTree& tree = *trees[static_cast<std::size_t>(model)];
      tree.AddItem("w" + std::to_string(writer) + "r" + std::to_string(round));
      // What ContextTree::Save does, with the text made once for the journal and the file, so
      // that most kills fall into the writing of the file.
      const std::string text = *Quenmar::Intel::ToFileText(tree);
      JournalRecord record{static_cast<std::uint32_t>(model), 0, HashOf(text)};
      if (::write(journal, &record, sizeof record) != sizeof record) _exit(2);
      if (!cmdpredict::CurrentEnv().ReplaceFile(models + "/" + ModelName(model), text)) {
        std::fprintf(stderr, "writer %d: saving model %d failed\n", writer, model);
        _exit(1);
      }
      record.ended = 1;
      if (::write(journal, &record, sizeof record) != sizeof record) _exit(2);
    }
  }
  _exit(0);
}

std::vector<JournalRecord> ReadJournal(const std::string& path) {
  std::string bytes;
  cmdpredict::SystemEnv().ReadFile(path, bytes);
  std::vector<JournalRecord> records(bytes.size() / sizeof(JournalRecord));
  std::copy(bytes.begin(),
            bytes.begin() + static_cast<std::ptrdiff_t>(records.size() * sizeof(JournalRecord)),
            reinterpret_cast<char*>(records.data()));
  return records;
}

bool ExitedCleanly(pid_t child) {
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Starts a saver and waits until its trees are built; -1 when it cannot be started or fails before.
pid_t StartSaver(const Options& options, const std::string& models, const std::string& journal, int writer,
                 int rounds, StartSignal& start) {
  int channel[2];
  if (::pipe(channel) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    RunSaver(options, models, journal, writer, rounds, channel[1], start);
  }
  ::close(channel[1]);
  char byte = 0;
  const bool ready = child > 0 && ::read(channel[0], &byte, 1) == 1;
  ::close(channel[0]);
  if (child > 0 && !ready) ExitedCleanly(child);  // reaps it
  return ready ? child : -1;
}

// Starts one saver at once.
pid_t StartOneSaver(const Options& options, const std::string& models, const std::string& journal, int writer,
                    int rounds) {
  StartSignal start;
  const pid_t child = StartSaver(options, models, journal, writer, rounds, start);
  start.CloseWriteEnd();
  return child;
}

class Checker {
 public:
  explicit Checker(std::string models) : m_models(std::move(models)) {}

  // The hash of the model file's text, after checking that it loads in full; nothing when it is
  // missing.
  std::optional<std::uint64_t> FileHash(int model) {
    std::string text;
    if (!cmdpredict::SystemEnv().ReadFile(m_models + "/" + ModelName(model), text)) return std::nullopt;
    const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
    const cmdpredict::JsonValue* root = document->Parse(text.c_str());
    ContextTree tree;
    if (document->HasParseError() ||
        Quenmar::Intel::FromJson(tree, cmdpredict::JsonReference(*root)) != Quenmar::Intel::kLoadedFully) {
      Fail(ModelName(model) + " does not load in full");
    }
    return HashOf(text);
  }

  // The models that have a temporary in the folder. Any other file than models and their
  // temporaries is a failure.
  std::set<int> ModelsWithTemporaries(int models) {
    std::set<int> found;
    for (const auto& entry : fs::directory_iterator(m_models)) {
      const std::string name = entry.path().filename().string();
      bool known = false;
      for (int model = 0; model < models; ++model) {
        if (cmdpredict::IsTemporaryNameOf(name, ModelName(model))) found.insert(model);
        known = known || name == ModelName(model) || cmdpredict::IsTemporaryNameOf(name, ModelName(model));
      }
      if (!known) Fail("unexpected file " + name);
    }
    return found;
  }

  void Fail(const std::string& what) {
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    m_failed = true;
  }
  bool Failed() const { return m_failed; }

 private:
  std::string m_models;
  bool m_failed = false;
};

int RunKills(const Options& options, const std::string& folder) {
  const std::string models = folder + "/models";
  fs::create_directory(models);
  Checker checker(models);
  std::vector<std::optional<std::uint64_t>> saved(static_cast<std::size_t>(options.models));
  std::mt19937_64 random{std::random_device{}()};

  // One round without a kill measures how long a round of saves takes; kills fall within two.
  const pid_t first = StartOneSaver(options, models, folder + "/journal-first", 0, 1);
  const auto start = std::chrono::steady_clock::now();
  if (!ExitedCleanly(first)) checker.Fail("the first saver failed");
  const auto round =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  for (int model = 0; model < options.models; ++model)
    saved[static_cast<std::size_t>(model)] = checker.FileHash(model);

  int interrupted = 0, leftTemporaries = 0;
  for (int kill = 0; kill <= options.kills && !checker.Failed(); ++kill) {
    const bool last = kill == options.kills;  // the last run ends without a kill
    const std::string journal = folder + "/journal-" + std::to_string(kill);
    const pid_t child = StartOneSaver(options, models, journal, kill + 1, last ? 1 : -1);
    if (child < 0) {
      checker.Fail("a saver could not start");
    } else if (last) {
      if (!ExitedCleanly(child)) checker.Fail("the last saver failed");
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % (2 * round.count() + 1)));
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
    }
    // What the journal says: the last save of each model that ended, and the save that the kill
    // interrupted.
    std::set<int> savedSince;
    std::optional<JournalRecord> cut;
    for (const JournalRecord& record : ReadJournal(journal)) {
      savedSince.insert(static_cast<int>(record.model));
      if (record.ended) saved[record.model] = record.hash;
      cut = record.ended ? std::nullopt : std::optional<JournalRecord>(record);
    }
    if (cut) ++interrupted;
    const auto isCut = [&](int model) { return cut && static_cast<int>(cut->model) == model; };
    for (int model = 0; model < options.models; ++model) {
      const std::optional<std::uint64_t> file = checker.FileHash(model);
      if (isCut(model) && file == cut->hash) {
        saved[static_cast<std::size_t>(model)] = file;
      } else if (file != saved[static_cast<std::size_t>(model)]) {
        checker.Fail(ModelName(model) + " after kill " + std::to_string(kill) +
                     " holds neither its old nor its new text");
      }
    }
    const std::set<int> temporaries = checker.ModelsWithTemporaries(options.models);
    for (const int model : temporaries) {
      if (savedSince.count(model) && !isCut(model)) {
        checker.Fail("a temporary of " + ModelName(model) + " survived its next save");
      }
    }
    if (last && !temporaries.empty()) checker.Fail("temporaries left after the last saver");
    leftTemporaries += static_cast<int>(temporaries.size());
  }
  std::printf(
      "%d kills, %d during a save, %d temporaries seen after them; one round of saves takes %lld us\n",
      options.kills, interrupted, leftTemporaries, static_cast<long long>(round.count()));
  return checker.Failed() ? 1 : 0;
}

int RunWriters(const Options& options, const std::string& folder) {
  const std::string models = folder + "/models";
  fs::create_directory(models);
  Checker checker(models);
  std::vector<pid_t> children;
  StartSignal start;
  for (int writer = 0; writer < options.writers; ++writer) {
    children.push_back(StartSaver(options, models, folder + "/journal-" + std::to_string(writer), writer,
                                  options.rounds, start));
  }
  start.CloseWriteEnd();
  for (const pid_t child : children) {
    if (!ExitedCleanly(child)) checker.Fail("a writer failed");
  }
  // The text of each writer's last save of each model.
  std::map<int, std::set<std::uint64_t>> lastSaves;
  for (int writer = 0; writer < options.writers; ++writer) {
    std::map<int, std::uint64_t> last;
    for (const JournalRecord& record : ReadJournal(folder + "/journal-" + std::to_string(writer))) {
      if (record.ended) last[static_cast<int>(record.model)] = record.hash;
    }
    for (const auto& [model, hash] : last) lastSaves[model].insert(hash);
  }
  for (int model = 0; model < options.models; ++model) {
    const std::optional<std::uint64_t> file = checker.FileHash(model);
    if (!file || lastSaves[model].count(*file) == 0)
      checker.Fail(ModelName(model) + " is no writer's last save");
  }
  if (!checker.ModelsWithTemporaries(options.models).empty()) checker.Fail("temporaries left by the writers");
  std::printf("%d writers saved %d models %d times each at once\n", options.writers, options.models,
              options.rounds);
  return checker.Failed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Kills processes that save model files, and runs several at once into one folder.");
  app.require_subcommand(1);
  Options options;
  CLI::App* kills = app.add_subcommand("kills", "kill a saving process at random moments");
  kills->add_option("--kills", options.kills, "number of kills")->check(CLI::NonNegativeNumber);
  CLI::App* writers = app.add_subcommand("writers", "let several processes save into one folder at once");
  writers->add_option("--writers", options.writers, "number of processes")->check(CLI::PositiveNumber);
  writers->add_option("--rounds", options.rounds, "saves of each model by each process")
      ->check(CLI::PositiveNumber);
  for (CLI::App* command : {kills, writers}) {
    command->add_option("--models", options.models, "model files")->check(CLI::PositiveNumber);
    command->add_option("--items", options.items, "items learnt by each tree")->check(CLI::PositiveNumber);
    command->add_option("--folder", options.folder, "work in this existing, empty folder");
  }
  CLI11_PARSE(app, argc, argv);

  std::unique_ptr<cmdpredict::TempFolder> temporary;
  if (options.folder.empty()) {
    temporary = std::make_unique<cmdpredict::TempFolder>();
    options.folder = temporary->Path();
  }
  return kills->parsed() ? RunKills(options, options.folder) : RunWriters(options, options.folder);
}
