// What --dry-run reports: the run as it would be, without a file.
#pragma once

#include <string>

#include "morse/synthesis.h"

std::string DryRunReport(const SynthesisRequest& request, const SynthesisPlan& plan);
