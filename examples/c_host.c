/* A minimal host in C: what an application does to get command predictions through the C
 * interface of cmdpredict.
 *
 *   c_host [APP-DATA-FOLDER]
 *
 * It reports the commands a user starts in two working environments, reads the ranked predictions
 * of one of them, and saves the learnt models when it quits. Run it twice with the same folder:
 * the second run starts from what the first one learnt. */
#include <cmdpredict/cmdpredict.h>
#include <stdio.h>

/* Command identifiers of the imaginary application. */
enum { kLine = 101, kCircle = 102, kTrim = 103, kDimension = 104, kSave = 57603 };

static int Fail(const char* what, int status) {
  fprintf(stderr, "c_host: %s: %s\n", what, cmdpredict_status_text(status));
  return 1;
}

int main(int argc, char** argv) {
  static const int sketching[] = {kLine, kCircle,    kTrim, kLine, kCircle,
                                  kTrim, kDimension, kSave, kLine, kCircle};
  const char* folder = argc > 1 ? argv[1] : "c-host-data";
  cmdpredict_manager* manager = NULL;
  int ids[10];
  double probabilities[10];
  size_t count = 0, i;
  int top = 0, status;

  if ((status = cmdpredict_create(&manager)) != CMDPREDICT_OK) return Fail("create", status);
  /* Two commands of history; a model depth of history + 1 predicts what the default depth does. */
  status = cmdpredict_initialize(manager, folder, 2, 10, 10, 3);
  if (status < 0) {
    cmdpredict_destroy(manager);
    return Fail("initialize", status);
  }

  /* The host reports every command just before it runs, naming the environment it runs in. */
  for (i = 0; i < sizeof sketching / sizeof sketching[0]; ++i) {
    cmdpredict_report_command(manager, "Sketch", sketching[i], 0);
  }
  cmdpredict_report_command(manager, "Drawing", kSave, 0);

  /* After Line, Circle: Trim is the best guess. */
  cmdpredict_get_predictions(manager, "Sketch", ids, probabilities, 10, &count);
  printf("next command in Sketch:\n");
  for (i = 0; i < count && i < 10; ++i) {
    if (ids[i] != 0) printf("  %6d  %.3f\n", ids[i], probabilities[i]);
  }

  /* The cheap query a toolbar would poll: the command at position 0, without running a model. */
  cmdpredict_get_prediction(manager, "Sketch", 0, &top);
  printf("top prediction: %d\n", top);

  status = cmdpredict_save_models(manager); /* one model file per environment */
  cmdpredict_destroy(manager);
  return status < 0 ? Fail("save models", status) : 0;
}
