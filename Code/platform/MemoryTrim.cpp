#include "MemoryTrim.h"

#include <malloc.h>

void TMemoryTrim::TrimWorkingSet() {
    // The closest Linux has to emptying the working set: return every free
    // page at the top and in the middle of the heap. The result tells only
    // whether anything was released, which nobody needs.
    malloc_trim(0);
}
