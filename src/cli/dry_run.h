// What --dry-run reports: the run as it would be, without a file.
#pragma once

#include <optional>
#include <string>

#include "morse/create_command.h"

// `refusal` says why no image would be made, if none would.
std::string DryRunReport(const CreateInputs& inputs, const RunStyle& style, std::optional<CreateOutcome> refusal);
