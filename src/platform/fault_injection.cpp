#include "platform/fault_injection.h"

#include <array>

namespace {

struct Armed {
    int callsLeft = 0;  // the call that fails is the one that brings this to 0; 0 when disarmed
    int error = 0;
};

constexpr std::size_t kSteps = static_cast<std::size_t>(FaultStep::Allocation) + 1;
std::array<Armed, kSteps> g_armed{};
bool g_anyArmed = false;

Armed& Of(FaultStep step) { return g_armed[static_cast<std::size_t>(step)]; }

}  // namespace

void FaultArm(FaultStep step, int occurrence, int error) {
    Of(step) = {occurrence > 0 ? occurrence : 0, error};
    g_anyArmed = true;
}

void FaultDisarmAll() {
    g_armed = {};
    g_anyArmed = false;
}

bool FaultFires(FaultStep step, int& error) {
    if (!g_anyArmed) return false;
    Armed& armed = Of(step);
    if (armed.callsLeft == 0 || --armed.callsLeft != 0) return false;
    error = armed.error;
    return true;
}
