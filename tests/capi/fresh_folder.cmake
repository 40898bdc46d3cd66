# Empties the folder DIR (creating it when missing): run by CTest before the C interface tests.
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")
