// A minimal host: what an application does to get command predictions from cmdpredict.
//
//   sample_host [APP-DATA-FOLDER]
//
// It initialises the manager with an application-data folder, reports the commands a user starts
// in two working environments, reads the ranked predictions of one of them, and saves the learnt
// models when it quits, printing what the library reports about its files. Run it twice with the
// same folder: the second run starts from what the first one learnt.
#include <cmdpredict/prediction_command_manager.h>

#include <cstdio>
#include <vector>

namespace {

// Command identifiers of the imaginary application.
enum Command : LONG { kLine = 101, kCircle = 102, kTrim = 103, kDimension = 104, kSave = 57603 };

void PrintPredictions(CPredictionCommandManager& manager, const char* environment) {
  std::vector<PredictionCommandManagerPredictionData> predictions;
  manager.GetPredictionCommandIDs(environment, predictions);
  std::printf("next command in %s:\n", environment);
  for (const auto& prediction : predictions) {
    if (prediction.commandId != 0)
      std::printf("  %6ld  %.3f\n", static_cast<long>(prediction.commandId), prediction.probability);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The models go to <folder>ModelPrediction: pass the folder with a trailing separator.
  const char* folder = argc > 1 ? argv[1] : "sample-host-data/";
  // Widened byte by byte, which is right for ASCII folder names; a real host has UTF-16 already.
  std::vector<cmdpredict::WChar> wideFolder(folder, folder + std::char_traits<char>::length(folder) + 1);

  CPredictionCommandManager manager;
  // Failures that no result shows (a damaged model file repaired, a folder not created, ...).
  manager.SetDiagnosticHandler([](const cmdpredict::Diagnostic& diagnostic) {
    std::fprintf(stderr, "cmdpredict reports (%d) %s: %s\n", static_cast<int>(diagnostic.kind),
                 diagnostic.path.c_str(), diagnostic.reason.c_str());
  });
  const LONG initialized =
      manager.Initialize(CMDPREDICT_WIDE(""), wideFolder.data(), /*history*/ 2, /*latest commands kept*/ 10);
  if (initialized < 0) return 1;  // S_FALSE goes on: no model folder, the models are kept in memory only

  // The host reports every command just before it runs, naming the environment it runs in.
  const LONG sketching[] = {kLine, kCircle, kTrim, kLine, kCircle, kTrim, kDimension, kSave, kLine, kCircle};
  for (const LONG command : sketching) manager.BeforeCommandRun(command, nullptr, "Sketch", 0, 0);
  manager.BeforeCommandRun(kSave, nullptr, "Drawing", 0, 0);

  PrintPredictions(manager, "Sketch");  // after Line, Circle: Trim is the best guess

  // The cheap query a toolbar would poll: the command at position 0, without running a model.
  std::printf("top prediction: %d\n", manager.GetPredictionCommandID(CMDPREDICT_WIDE("Sketch"), 0));

  // Saves one model file per environment; E_FAIL when one could not be written.
  return manager.BeforeQuit() == S_OK ? 0 : 1;
}
