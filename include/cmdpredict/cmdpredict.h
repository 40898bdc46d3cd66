/* The C interface of cmdpredict: a flat set of functions over an opaque manager, usable from any
 * compiler and from any language that can call C (ctypes, P/Invoke, Delphi, ...).
 *
 * It wraps the C++ class CPredictionCommandManager (cmdpredict/prediction_command_manager.h) and
 * is exported from the same shared library. Every function returns one of the status codes
 * below (or, for the few that cannot fail, what their comment says); no C++ exception ever
 * crosses this boundary.
 *
 * Strings: every char pointer is NUL-terminated UTF-8, read up to its terminator and never
 * kept after the call returns. An environment name that is not valid UTF-8 gives
 * CMDPREDICT_ERROR_INVALID_UTF8 and changes nothing.
 *
 * Ownership: a manager is created by cmdpredict_create and released by cmdpredict_destroy; the
 * caller owns every buffer it passes. Threading: one manager must be used by one thread at a time
 * (the host's user-interface thread); the library takes no lock. Distinct managers are independent
 * except that they must not share a model folder while both write to it.
 */
#ifndef CMDPREDICT_CMDPREDICT_H
#define CMDPREDICT_CMDPREDICT_H

#include <stddef.h>

#include "cmdpredict/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes. Successes are 0 or positive, failures negative. */
#define CMDPREDICT_OK 0
#define CMDPREDICT_NOT_LEARNT 1  /* cmdpredict_report_command: the command was not learnt */
#define CMDPREDICT_MEMORY_ONLY 2 /* cmdpredict_initialize: the folder could not be made; nothing is saved */
#define CMDPREDICT_ERROR_INVALID_ARGUMENT (-1) /* a null handle or pointer, or a value out of range */
#define CMDPREDICT_ERROR_INVALID_UTF8 (-2)
#define CMDPREDICT_ERROR_OUT_OF_MEMORY (-3)
#define CMDPREDICT_ERROR_NOT_INITIALIZED (-4) /* cmdpredict_initialize has not succeeded yet */
#define CMDPREDICT_ERROR_SAVE_FAILED (-5)     /* cmdpredict_save_models: a model was not written */
#define CMDPREDICT_ERROR_INTERNAL (-6)        /* any other failure inside the library */

typedef struct cmdpredict_manager cmdpredict_manager;

/* Kinds of diagnostic records: failures and repairs that results alone cannot show. */
#define CMDPREDICT_DIAGNOSTIC_MODEL_NOT_SAVED 1     /* the previous model file is unchanged */
#define CMDPREDICT_DIAGNOSTIC_MODEL_FILE_REPAIRED 2 /* part of a model file was left out */
#define CMDPREDICT_DIAGNOSTIC_MODEL_FILE_REPLACED 3 /* nothing of it was usable: the model starts anew */
#define CMDPREDICT_DIAGNOSTIC_BACKUP_WRITTEN 4      /* a copy of a damaged model file (path: the copy) */
#define CMDPREDICT_DIAGNOSTIC_BACKUP_NOT_WRITTEN 5  /* that copy could not be written */
#define CMDPREDICT_DIAGNOSTIC_FOLDER_NOT_CREATED 6  /* its files are not written */
#define CMDPREDICT_DIAGNOSTIC_LIST_FILE_UNUSABLE 7  /* a command list file unreadable or not a list */
#define CMDPREDICT_DIAGNOSTIC_LIST_FILE_NOT_WRITTEN      \
  8 /* the user-excluded list; the old file is unchanged \
     */
#define CMDPREDICT_DIAGNOSTIC_NAMED_SEQUENCE_NOT_WRITTEN 9

/* One diagnostic record. Its strings are UTF-8 and valid only during the handler's call. */
typedef struct cmdpredict_diagnostic {
  int kind;                /* one of CMDPREDICT_DIAGNOSTIC_... */
  const char* environment; /* the environment whose model it is about; "" for other files */
  const char* path;        /* the file or folder concerned */
  const char* reason;      /* a short text: the system's error text when a system call failed */
} cmdpredict_diagnostic;

/* Receives each record on the thread that called the operation, after the step that produced it
 * is complete; user_data is the pointer given with the handler. It must not destroy the manager. */
typedef void (*cmdpredict_diagnostic_handler)(const cmdpredict_diagnostic* diagnostic, void* user_data);

/* The library's version, "MAJOR.MINOR.PATCH"; a static string. */
CMDPREDICT_API const char* cmdpredict_version(void);

/* A short English description of a status code; a static string (unknown codes included). */
CMDPREDICT_API const char* cmdpredict_status_text(int status);

/* Creates a manager with the default options and stores it in *manager (null on failure). */
CMDPREDICT_API int cmdpredict_create(cmdpredict_manager** manager);

/* Releases a manager; saves nothing (call cmdpredict_save_models first). A null manager is
 * ignored. */
CMDPREDICT_API void cmdpredict_destroy(cmdpredict_manager* manager);

/* Initialises the manager:
 * - app_data_folder: the folder that receives the "ModelPrediction" folder of model files
 *   (created when missing), or null to keep every model in memory only;
 * - history: how many of an environment's latest commands predictions are made from (0 or more;
 *   0 predicts from no history at all; lowered to max_history);
 * - max_history: how many latest commands each environment keeps (1 or more);
 * - predictions: how many commands each environment's ranked list holds (0 for every command the
 *   model knows);
 * - model_depth: 0 for the library's default, or 1 to 128. history + 1 predicts exactly what the
 *   default does with far smaller models.
 * A value out of range gives CMDPREDICT_ERROR_INVALID_ARGUMENT before anything changes. When the
 * folder cannot be created, the result is CMDPREDICT_MEMORY_ONLY (a success: the manager works,
 * but saves nothing) and the diagnostic handler is told. May be
 * called again: the models learnt so far are then forgotten (save them first). */
CMDPREDICT_API int cmdpredict_initialize(cmdpredict_manager* manager, const char* app_data_folder,
                                         int history, int max_history, int predictions, int model_depth);

/* Reports a command the user starts in an environment. run_kind 1 means "do not learn this
 * run". Returns CMDPREDICT_OK when the command was learnt, CMDPREDICT_NOT_LEARNT otherwise (a
 * repeat of the previous command, an excluded command, the identifier 0, ...). The environment's
 * ranked list is refreshed either way. */
CMDPREDICT_API int cmdpredict_report_command(cmdpredict_manager* manager, const char* environment,
                                             int command_id, unsigned int run_kind);

/* Takes the environment's last learnt command back out of its model and stores it in
 * *command_id (0 when there was none to take back). The list of latest commands and the ranked
 * list are left as they are. */
CMDPREDICT_API int cmdpredict_take_back_last_command(cmdpredict_manager* manager, const char* environment,
                                                     int* command_id);

/* Copies the environment's ranked list, best first, into the caller's arrays: at most capacity
 * entries, never more. *count receives the length of the whole list, so a caller can pass
 * capacity 0 (the arrays may then be null) to learn the size it needs. An empty position holds
 * the identifier 0. An environment never used before has its model loaded first. */
CMDPREDICT_API int cmdpredict_get_predictions(cmdpredict_manager* manager, const char* environment,
                                              int* command_ids, double* probabilities, size_t capacity,
                                              size_t* count);

/* The command at one position of the environment's ranked list in *command_id (0 when there is
 * none). Cheap: never runs a model, never loads one. */
CMDPREDICT_API int cmdpredict_get_prediction(cmdpredict_manager* manager, const char* environment, int index,
                                             int* command_id);

/* Adds every identifier of a comma-separated text file to the commands never learnt nor predicted.
 * A file that cannot be read adds nothing. */
CMDPREDICT_API int cmdpredict_load_excluded_from_training(cmdpredict_manager* manager, const char* path);

/* Reads "identifier,flag" pairs (flag 0: not excluded) into the user-excluded list and remembers
 * the file for cmdpredict_save_user_excluded(manager, NULL). */
CMDPREDICT_API int cmdpredict_load_user_excluded(cmdpredict_manager* manager, const char* path);

/* Writes the user-excluded list (and every command seen, with flag 0) to path, or to the file
 * last loaded when path is null. */
CMDPREDICT_API int cmdpredict_save_user_excluded(cmdpredict_manager* manager, const char* path);

/* Saves every loaded model to its file: CMDPREDICT_ERROR_SAVE_FAILED when any could not be
 * written (every model is still tried; the diagnostic handler hears which). */
CMDPREDICT_API int cmdpredict_save_models(cmdpredict_manager* manager);

/* Sets the function that receives diagnostic records (null: none, the default; nothing is printed
 * then). Set it before cmdpredict_initialize to hear about the folders too. */
CMDPREDICT_API int cmdpredict_set_diagnostic_handler(cmdpredict_manager* manager,
                                                     cmdpredict_diagnostic_handler handler, void* user_data);

#ifdef __cplusplus
}
#endif

#endif /* CMDPREDICT_CMDPREDICT_H */
