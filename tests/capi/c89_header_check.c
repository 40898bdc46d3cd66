/* Compiled as strict C89: the C interface's header must be usable by the oldest C compilers. */
#include "cmdpredict/cmdpredict.h"

typedef cmdpredict_manager* c89_header_check_manager;
