#include "frontend/runtime_session.h"

#include <new>

#include "runtime/fatal.h"
#include "runtime/string_registry.h"

namespace {

struct RuntimeOutOfMemoryError : std::bad_alloc {};

void ThrowOutOfMemory(const char*) { throw RuntimeOutOfMemoryError(); }

}  // namespace

RuntimeSession::RuntimeSession() {
    RuntimeInit();
    RuntimeReserve();
    RuntimeSetFatalReporter(ThrowOutOfMemory);
}

RuntimeSession::~RuntimeSession() {
    RuntimeSetFatalReporter(nullptr);
    RuntimeExit();
}
