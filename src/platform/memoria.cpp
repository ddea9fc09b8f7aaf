#include "platform/memoria.h"

#include <malloc.h>

namespace memoria {

void UnSoloHeap() { mallopt(M_ARENA_MAX, 1); }

void RestituisciLibera() { malloc_trim(0); }

} // namespace memoria
