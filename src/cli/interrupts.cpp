#include "cli/interrupts.h"

#include "platform/interrupt_hold.h"

namespace {

// A plain buffer, which lives as long as the process: a handler may read it at any time.
char g_notice[8192];
std::size_t g_noticeSize = 0;

}  // namespace

void InterruptNoticeSet(std::string_view notice) {
    const InterruptsHeld held;
    g_noticeSize = notice.copy(g_notice, sizeof g_notice);
    if (notice.size() > sizeof g_notice) g_notice[sizeof g_notice - 1] = '\n';
}

std::string_view InterruptNotice() { return {g_notice, g_noticeSize}; }
