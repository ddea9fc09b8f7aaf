#include "odbc/memoria.h"

#include <malloc.h>

namespace memoria {

void PreparaHeap() { mallopt(M_TOP_PAD, 64 * 1024 * 1024); }

void Restituisci() { malloc_trim(0); }

} // namespace memoria
