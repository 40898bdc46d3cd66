#!/usr/bin/env python3
"""A host in Python: drives cmdpredict through its C interface with the standard library's ctypes.

    ctypes_host.py LIBRARY [APP-DATA-FOLDER]

LIBRARY is the shared library (libcmdpredict.so, cmdpredict.dll). Without a folder the models are
kept in memory only. Prints the predictions after a few commands, like examples/c_host.c.
"""
import ctypes
import sys
from ctypes import POINTER, c_char_p, c_double, c_int, c_size_t, c_uint, c_void_p

LINE, CIRCLE, TRIM, DIMENSION, SAVE = 101, 102, 103, 104, 57603


class Library:
    """The C interface's functions with their argument types; every failure becomes an exception."""

    def __init__(self, path):
        self.lib = lib = ctypes.CDLL(path)
        lib.cmdpredict_version.restype = c_char_p
        lib.cmdpredict_status_text.restype = c_char_p
        lib.cmdpredict_status_text.argtypes = [c_int]
        lib.cmdpredict_create.argtypes = [POINTER(c_void_p)]
        lib.cmdpredict_destroy.argtypes = [c_void_p]
        lib.cmdpredict_destroy.restype = None
        lib.cmdpredict_initialize.argtypes = [c_void_p, c_char_p, c_int, c_int, c_int, c_int]
        lib.cmdpredict_report_command.argtypes = [c_void_p, c_char_p, c_int, c_uint]
        lib.cmdpredict_get_predictions.argtypes = [c_void_p, c_char_p, POINTER(c_int), POINTER(c_double),
                                                   c_size_t, POINTER(c_size_t)]
        lib.cmdpredict_get_prediction.argtypes = [c_void_p, c_char_p, c_int, POINTER(c_int)]
        lib.cmdpredict_save_models.argtypes = [c_void_p]

    def check(self, status):
        if status < 0:
            raise RuntimeError(self.lib.cmdpredict_status_text(status).decode())
        return status


class Manager:
    def __init__(self, library, folder, history, predictions=10):
        self.library, lib = library, library.lib
        self.handle = c_void_p()
        library.check(lib.cmdpredict_create(ctypes.byref(self.handle)))
        folder_bytes = folder.encode() if folder is not None else None
        # A model depth of history + 1 predicts exactly what the library's default depth does.
        library.check(lib.cmdpredict_initialize(self.handle, folder_bytes, history, 10, predictions, history + 1))

    def report(self, environment, command):
        return self.library.check(self.library.lib.cmdpredict_report_command(self.handle, environment.encode(),
                                                                            command, 0))

    def predictions(self, environment):
        lib, name, count = self.library.lib, environment.encode(), c_size_t()
        self.library.check(lib.cmdpredict_get_predictions(self.handle, name, None, None, 0, ctypes.byref(count)))
        ids, probabilities = (c_int * count.value)(), (c_double * count.value)()
        self.library.check(lib.cmdpredict_get_predictions(self.handle, name, ids, probabilities, count.value,
                                                          ctypes.byref(count)))
        return [(ids[i], probabilities[i]) for i in range(count.value) if ids[i] != 0]

    def top(self, environment):
        command = c_int()
        self.library.check(self.library.lib.cmdpredict_get_prediction(self.handle, environment.encode(), 0,
                                                                      ctypes.byref(command)))
        return command.value

    def save(self):
        self.library.check(self.library.lib.cmdpredict_save_models(self.handle))

    def close(self):
        self.library.lib.cmdpredict_destroy(self.handle)


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    library = Library(argv[1])
    print("cmdpredict", library.lib.cmdpredict_version().decode())
    manager = Manager(library, argv[2] if len(argv) > 2 else None, history=2)
    for command in (LINE, CIRCLE, TRIM, LINE, CIRCLE, TRIM, DIMENSION, SAVE, LINE, CIRCLE):
        manager.report("Sketch", command)
    manager.report("Drawing", SAVE)
    print("next command in Sketch:")
    for command, probability in manager.predictions("Sketch"):
        print(f"  {command:6d}  {probability:.3f}")
    print("top prediction:", manager.top("Sketch"))
    manager.save()
    manager.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
