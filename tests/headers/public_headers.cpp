// The public headers compiled as C++ (the C++ standard of the tree): the same
// program as public_headers.c.
#include "public_headers.c"
