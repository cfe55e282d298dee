/* Read before any source of the shared library: the declarations of
 * veskclient.h keep default visibility under -fvisibility=hidden. */
#pragma GCC visibility push(default)
#include "veskclient.h"
#pragma GCC visibility pop
