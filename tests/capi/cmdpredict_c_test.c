/* Tests of the C interface, written in C and linked against the shared library as a C host would.
 *   cmdpredict_c_tests DATA-FOLDER [TEST-NAME]
 * runs the named test (every test without a name), which keeps its files in DATA-FOLDER/TEST-NAME/,
 * prints "N passed, M failed" and exits nonzero when a check failed. They check what the C layer
 * adds: argument checks, statuses, text and array conversion, handles, and the wiring to the
 * manager; the manager's own rules are its tests' job. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cmdpredict/cmdpredict.h"

#define INVALID CMDPREDICT_ERROR_INVALID_ARGUMENT

static int g_failedChecks;
static const char* g_dataFolder;
static const char* g_testName;
static cmdpredict_manager* g_manager; /* fresh for each test: in the test's folder, history 1 */

#define CHECK(condition)                                                                            \
  do {                                                                                              \
    if (!(condition)) {                                                                             \
      fprintf(stderr, "%s:%d: %s: check failed: %s\n", __FILE__, __LINE__, g_testName, #condition); \
      ++g_failedChecks;                                                                             \
    }                                                                                               \
  } while (0)

/* DATA-FOLDER/TEST-NAME/name, in a static buffer that the next call overwrites. */
static const char* TestPath(const char* name) {
  static char path[2048];
  snprintf(path, sizeof path, "%s/%s/%s", g_dataFolder, g_testName, name);
  return path;
}

/* What a diagnostic handler heard: how many records, and the last one's kind and environment. */
struct Heard {
  int count;
  int lastKind;
  char lastEnvironment[64];
};

static void Hear(const cmdpredict_diagnostic* diagnostic, void* userData) {
  struct Heard* heard = (struct Heard*)userData;
  ++heard->count;
  heard->lastKind = diagnostic->kind;
  snprintf(heard->lastEnvironment, sizeof heard->lastEnvironment, "%s", diagnostic->environment);
}

static cmdpredict_manager* NewManager(const char* appDataFolder, int history, int modelDepth) {
  cmdpredict_manager* manager = NULL;
  CHECK(cmdpredict_create(&manager) == CMDPREDICT_OK);
  CHECK(cmdpredict_initialize(manager, appDataFolder, history, 10, 10, modelDepth) == CMDPREDICT_OK);
  return manager;
}

/* Teaches the manager a habit in "Sketch": 7 mostly follows 5, then 9. */
static void LearnHabit(cmdpredict_manager* manager) {
  static const int kHabit[] = {5, 7, 5, 7, 5, 9, 5, 7, 5};
  size_t i;
  for (i = 0; i < sizeof kHabit / sizeof kHabit[0]; ++i)
    cmdpredict_report_command(manager, "Sketch", kHabit[i], 0);
}

static void WriteText(const char* path, const char* text) {
  FILE* file = fopen(path, "wb");
  CHECK(file != NULL && fputs(text, file) >= 0 && fclose(file) == 0);
}

/* The file's text (at most 4095 bytes) in a static buffer; "" when it cannot be read. */
static const char* ReadText(const char* path) {
  static char text[4096];
  size_t length = 0;
  FILE* file = fopen(path, "rb");
  if (file != NULL) {
    length = fread(text, 1, sizeof text - 1, file);
    fclose(file);
  }
  text[length] = '\0';
  return text;
}

/* A folder that cannot be created: a file stands where its parent goes. Beside the test's folder,
 * in a folder that exists. */
static const char* UncreatableFolder(void) {
  static char folder[2048];
  snprintf(folder, sizeof folder, "%s/%s.file", g_dataFolder, g_testName);
  WriteText(folder, "not a folder");
  strcat(folder, "/app");
  return folder;
}

/* g_manager learns a command in "E", whose model file's place a folder takes. */
static void LearnWhereTheModelCannotBeSaved(void) {
  char blocker[4096];
  snprintf(blocker, sizeof blocker, "%sModelPrediction/E.ContextTree", TestPath(""));
  cmdpredict_destroy(NewManager(blocker, 1, 0)); /* creates the folder */
  cmdpredict_report_command(g_manager, "E", 5, 0);
}

/* ---------------------------------------------------------------------------------------------- */

static void version_is_the_project_version(void) {
  CHECK(strcmp(cmdpredict_version(), CMDPREDICT_EXPECTED_VERSION) == 0);
}

static void status_text_names_a_status(void) {
  CHECK(strcmp(cmdpredict_status_text(CMDPREDICT_ERROR_INVALID_UTF8), "invalid UTF-8") == 0);
}

static void status_text_of_an_unknown_code_says_so(void) {
  CHECK(strcmp(cmdpredict_status_text(12345), "unknown status") == 0);
}

static void create_refuses_a_null_result_pointer(void) { CHECK(cmdpredict_create(NULL) == INVALID); }

static void destroy_ignores_a_null_manager(void) { cmdpredict_destroy(NULL); }

static void every_operation_refuses_a_null_manager(void) {
  int id = -1;
  size_t count = 0;
  CHECK(cmdpredict_initialize(NULL, NULL, 1, 10, 10, 0) == INVALID);
  CHECK(cmdpredict_report_command(NULL, "E", 5, 0) == INVALID);
  CHECK(cmdpredict_take_back_last_command(NULL, "E", &id) == INVALID);
  CHECK(cmdpredict_get_predictions(NULL, "E", NULL, NULL, 0, &count) == INVALID);
  CHECK(cmdpredict_get_prediction(NULL, "E", 0, &id) == INVALID);
  CHECK(cmdpredict_load_excluded_from_training(NULL, "x") == INVALID);
  CHECK(cmdpredict_load_user_excluded(NULL, "x") == INVALID);
  CHECK(cmdpredict_save_user_excluded(NULL, "x") == INVALID);
  CHECK(cmdpredict_save_models(NULL) == INVALID);
  CHECK(cmdpredict_set_diagnostic_handler(NULL, Hear, NULL) == INVALID);
}

static void every_operation_refuses_a_null_required_pointer(void) {
  size_t count = 0;
  int id = 0;
  CHECK(cmdpredict_report_command(g_manager, NULL, 5, 0) == INVALID);
  CHECK(cmdpredict_take_back_last_command(g_manager, "E", NULL) == INVALID);
  CHECK(cmdpredict_get_predictions(g_manager, "E", NULL, NULL, 0, NULL) == INVALID);
  CHECK(cmdpredict_get_predictions(g_manager, "E", NULL, NULL, 1, &count) == INVALID);
  CHECK(cmdpredict_get_prediction(g_manager, NULL, 0, &id) == INVALID);
  CHECK(cmdpredict_load_excluded_from_training(g_manager, NULL) == INVALID);
  CHECK(cmdpredict_load_user_excluded(g_manager, NULL) == INVALID);
}

/* Each row is refused before anything changed: the manager is still uninitialised. */
static void initialize_refuses_each_option_out_of_range(void) {
  static const struct {
    const char* name;
    int history, maxHistory, predictions, modelDepth;
  } rows[] = {{"negative history", -1, 10, 10, 0},
              {"no latest commands kept", 1, 0, 10, 0},
              {"negative predictions", 1, 10, -1, 0},
              {"depth below 1", 1, 10, 10, -1},
              {"depth above 128", 1, 10, 10, 129}};
  size_t i;
  for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    cmdpredict_manager* manager = NULL;
    cmdpredict_create(&manager);
    if (cmdpredict_initialize(manager, NULL, rows[i].history, rows[i].maxHistory, rows[i].predictions,
                              rows[i].modelDepth) != INVALID ||
        cmdpredict_report_command(manager, "E", 5, 0) != CMDPREDICT_ERROR_NOT_INITIALIZED) {
      fprintf(stderr, "%s: accepted: %s\n", g_testName, rows[i].name);
      ++g_failedChecks;
    }
    cmdpredict_destroy(manager);
  }
}

static void operations_before_initialize_report_not_initialized(void) {
  cmdpredict_manager* manager = NULL;
  int id = 0;
  size_t count = 0;
  CHECK(cmdpredict_create(&manager) == CMDPREDICT_OK);
  CHECK(cmdpredict_report_command(manager, "E", 5, 0) == CMDPREDICT_ERROR_NOT_INITIALIZED);
  CHECK(cmdpredict_take_back_last_command(manager, "E", &id) == CMDPREDICT_ERROR_NOT_INITIALIZED);
  CHECK(cmdpredict_get_predictions(manager, "E", NULL, NULL, 0, &count) == CMDPREDICT_ERROR_NOT_INITIALIZED);
  CHECK(cmdpredict_get_prediction(manager, "E", 0, &id) == CMDPREDICT_ERROR_NOT_INITIALIZED);
  cmdpredict_destroy(manager);
}

static void report_command_does_not_learn_a_run_marked_not_to_be_learnt(void) {
  CHECK(cmdpredict_report_command(g_manager, "E", 5, 1) == CMDPREDICT_NOT_LEARNT);
}

static void invalid_utf8_in_an_environment_is_a_status(void) {
  size_t count = 0;
  int id = 0;
  CHECK(cmdpredict_report_command(g_manager, "bad \xC3(", 5, 0) == CMDPREDICT_ERROR_INVALID_UTF8);
  CHECK(cmdpredict_get_predictions(g_manager, "\xED\xA0\x80", NULL, NULL, 0, &count) ==
        CMDPREDICT_ERROR_INVALID_UTF8);
  CHECK(cmdpredict_get_prediction(g_manager, "\xFF", 0, &id) == CMDPREDICT_ERROR_INVALID_UTF8);
}

static void get_predictions_ranks_the_usual_follower_first(void) {
  int ids[10];
  double probabilities[10];
  size_t count = 0;
  LearnHabit(g_manager);
  CHECK(cmdpredict_get_predictions(g_manager, "Sketch", ids, probabilities, 10, &count) == CMDPREDICT_OK);
  CHECK(count == 3 && ids[0] == 7);
  CHECK(probabilities[0] > probabilities[1] && probabilities[1] >= probabilities[2] &&
        probabilities[2] > 0.0);
}

static void get_predictions_with_no_room_tells_the_size_needed(void) {
  size_t count = 0;
  LearnHabit(g_manager);
  CHECK(cmdpredict_get_predictions(g_manager, "Sketch", NULL, NULL, 0, &count) == CMDPREDICT_OK);
  CHECK(count == 3);
}

static void get_predictions_never_writes_beyond_the_capacity(void) {
  int ids[3] = {-1, -1, -1};
  double probabilities[3] = {-1.0, -1.0, -1.0};
  size_t count = 0;
  LearnHabit(g_manager);
  CHECK(cmdpredict_get_predictions(g_manager, "Sketch", ids, probabilities, 1, &count) == CMDPREDICT_OK);
  CHECK(ids[0] == 7 && ids[1] == -1 && ids[2] == -1);
  CHECK(probabilities[1] == -1.0 && probabilities[2] == -1.0);
}

static void get_prediction_reads_the_position_asked(void) {
  int ids[2], id = 0;
  double probabilities[2];
  size_t count = 0;
  LearnHabit(g_manager);
  cmdpredict_get_predictions(g_manager, "Sketch", ids, probabilities, 2, &count);
  CHECK(cmdpredict_get_prediction(g_manager, "Sketch", 1, &id) == CMDPREDICT_OK);
  CHECK(id == ids[1] && id != ids[0]);
}

static void take_back_returns_the_last_learnt_command(void) {
  int id = 0;
  cmdpredict_report_command(g_manager, "E", 5, 0);
  cmdpredict_report_command(g_manager, "E", 7, 0);
  CHECK(cmdpredict_take_back_last_command(g_manager, "E", &id) == CMDPREDICT_OK);
  CHECK(id == 7);
}

static void commands_excluded_from_training_are_not_learnt(void) {
  WriteText(TestPath("training.txt"), "5,8");
  CHECK(cmdpredict_load_excluded_from_training(g_manager, TestPath("training.txt")) == CMDPREDICT_OK);
  CHECK(cmdpredict_report_command(g_manager, "E", 8, 0) == CMDPREDICT_NOT_LEARNT);
}

/* 9 is listed as not excluded: the file is read as the user's list, not as a training list. */
static void user_excluded_commands_are_not_learnt(void) {
  WriteText(TestPath("user.txt"), "8,1,9,0");
  CHECK(cmdpredict_load_user_excluded(g_manager, TestPath("user.txt")) == CMDPREDICT_OK);
  CHECK(cmdpredict_report_command(g_manager, "E", 8, 0) == CMDPREDICT_NOT_LEARNT);
  CHECK(cmdpredict_report_command(g_manager, "E", 9, 0) == CMDPREDICT_OK);
}

static void saving_the_user_list_without_a_path_writes_the_file_last_loaded(void) {
  WriteText(TestPath("user.txt"), "8,1");
  cmdpredict_load_user_excluded(g_manager, TestPath("user.txt"));
  cmdpredict_report_command(g_manager, "E", 5, 0);
  CHECK(cmdpredict_save_user_excluded(g_manager, NULL) == CMDPREDICT_OK);
  CHECK(strcmp(ReadText(TestPath("user.txt")), "5,0,8,1") == 0);
}

static void saving_the_user_list_to_a_path_writes_that_file(void) {
  cmdpredict_report_command(g_manager, "E", 5, 0);
  CHECK(cmdpredict_save_user_excluded(g_manager, TestPath("saved.txt")) == CMDPREDICT_OK);
  CHECK(strcmp(ReadText(TestPath("saved.txt")), "5,0") == 0);
}

static void initialize_gives_models_the_model_depth(void) {
  cmdpredict_manager* manager = NewManager(TestPath(""), 1, 2);
  cmdpredict_report_command(manager, "E", 5, 0);
  CHECK(cmdpredict_save_models(manager) == CMDPREDICT_OK);
  CHECK(strstr(ReadText(TestPath("ModelPrediction/E.ContextTree")), "\"d\":2,") != NULL);
  cmdpredict_destroy(manager);
}

/* No folder is not the empty (working) folder: nothing is written there either. */
static void a_manager_without_a_folder_saves_no_file(void) {
  cmdpredict_manager* manager = NewManager(NULL, 1, 0);
  cmdpredict_report_command(manager, "E", 5, 0);
  CHECK(cmdpredict_save_models(manager) == CMDPREDICT_OK);
  CHECK(strcmp(ReadText("ModelPrediction/E.ContextTree"), "") == 0);
  cmdpredict_destroy(manager);
}

static void a_folder_that_cannot_be_created_keeps_models_in_memory(void) {
  cmdpredict_manager* manager = NULL;
  cmdpredict_create(&manager);
  CHECK(cmdpredict_initialize(manager, UncreatableFolder(), 1, 10, 10, 0) == CMDPREDICT_MEMORY_ONLY);
  CHECK(cmdpredict_report_command(manager, "E", 5, 0) == CMDPREDICT_OK);
  cmdpredict_destroy(manager);
}

static void a_folder_that_cannot_be_created_is_reported(void) {
  cmdpredict_manager* manager = NULL;
  struct Heard heard = {0, 0, ""};
  cmdpredict_create(&manager);
  CHECK(cmdpredict_set_diagnostic_handler(manager, Hear, &heard) == CMDPREDICT_OK);
  cmdpredict_initialize(manager, UncreatableFolder(), 1, 10, 10, 0);
  CHECK(heard.count == 1 && heard.lastKind == CMDPREDICT_DIAGNOSTIC_FOLDER_NOT_CREATED);
  cmdpredict_destroy(manager);
}

static void a_model_that_cannot_be_written_fails_the_save(void) {
  LearnWhereTheModelCannotBeSaved();
  CHECK(cmdpredict_save_models(g_manager) == CMDPREDICT_ERROR_SAVE_FAILED);
}

static void a_model_that_cannot_be_written_is_reported(void) {
  struct Heard heard = {0, 0, ""};
  cmdpredict_set_diagnostic_handler(g_manager, Hear, &heard);
  LearnWhereTheModelCannotBeSaved();
  cmdpredict_save_models(g_manager);
  /* The last record: the one of the unreadable file comes before. */
  CHECK(heard.lastKind == CMDPREDICT_DIAGNOSTIC_MODEL_NOT_SAVED);
  CHECK(strcmp(heard.lastEnvironment, "E") == 0);
}

static void a_cleared_diagnostic_handler_hears_nothing(void) {
  cmdpredict_manager* manager = NULL;
  struct Heard heard = {0, 0, ""};
  cmdpredict_create(&manager);
  cmdpredict_set_diagnostic_handler(manager, Hear, &heard);
  CHECK(cmdpredict_set_diagnostic_handler(manager, NULL, NULL) == CMDPREDICT_OK);
  cmdpredict_initialize(manager, UncreatableFolder(), 1, 10, 10, 0);
  CHECK(heard.count == 0);
  cmdpredict_destroy(manager);
}

/* ---------------------------------------------------------------------------------------------- */

#define CASE(name) \
  { #name, name }
static const struct {
  const char* name;
  void (*run)(void);
} kTests[] = {
    CASE(version_is_the_project_version),
    CASE(status_text_names_a_status),
    CASE(status_text_of_an_unknown_code_says_so),
    CASE(create_refuses_a_null_result_pointer),
    CASE(destroy_ignores_a_null_manager),
    CASE(every_operation_refuses_a_null_manager),
    CASE(every_operation_refuses_a_null_required_pointer),
    CASE(initialize_refuses_each_option_out_of_range),
    CASE(operations_before_initialize_report_not_initialized),
    CASE(report_command_does_not_learn_a_run_marked_not_to_be_learnt),
    CASE(invalid_utf8_in_an_environment_is_a_status),
    CASE(get_predictions_ranks_the_usual_follower_first),
    CASE(get_predictions_with_no_room_tells_the_size_needed),
    CASE(get_predictions_never_writes_beyond_the_capacity),
    CASE(get_prediction_reads_the_position_asked),
    CASE(take_back_returns_the_last_learnt_command),
    CASE(commands_excluded_from_training_are_not_learnt),
    CASE(user_excluded_commands_are_not_learnt),
    CASE(saving_the_user_list_without_a_path_writes_the_file_last_loaded),
    CASE(saving_the_user_list_to_a_path_writes_that_file),
    CASE(initialize_gives_models_the_model_depth),
    CASE(a_manager_without_a_folder_saves_no_file),
    CASE(a_folder_that_cannot_be_created_keeps_models_in_memory),
    CASE(a_folder_that_cannot_be_created_is_reported),
    CASE(a_model_that_cannot_be_written_fails_the_save),
    CASE(a_model_that_cannot_be_written_is_reported),
    CASE(a_cleared_diagnostic_handler_hears_nothing),
};

int main(int argc, char** argv) {
  size_t i, ran = 0, failed = 0;
  if (argc < 2) {
    fprintf(stderr, "usage: %s DATA-FOLDER [TEST-NAME]\n", argv[0]);
    return 2;
  }
  g_dataFolder = argv[1];
  for (i = 0; i < sizeof kTests / sizeof kTests[0]; ++i) {
    const int before = g_failedChecks;
    if (argc > 2 && strcmp(argv[2], kTests[i].name) != 0) continue;
    g_testName = kTests[i].name;
    g_manager = NewManager(TestPath(""), 1, 0);
    kTests[i].run();
    cmdpredict_destroy(g_manager);
    ++ran;
    if (g_failedChecks != before) ++failed;
  }
  printf("%lu passed, %lu failed\n", (unsigned long)(ran - failed), (unsigned long)failed);
  return ran == 0 || failed != 0 ? 1 : 0;
}
