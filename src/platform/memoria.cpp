#include "platform/memoria.h"

#include <malloc.h>
#include <thread>

namespace memoria {

void RestituisciLibera() { malloc_trim(0); }

void RestituisciLiberaInDisparte() { std::thread(RestituisciLibera).detach(); }

} // namespace memoria
