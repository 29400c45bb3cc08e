// What the page shows about a run, as JSON for its script: the outcome, the field warnings, the
// report of left-out characters and the measures of the audio. The script words it.
#pragma once

#include <string>

#include "web/page_run.h"

std::string PageReport(const PageRun& run);
