// --list-codes: the code table as the program holds it, for the user to read.
#pragma once

#include <string>

#include "morse/code_table.h"

// The table `set` names, grouped into Latin letters, digits, the window's parentheses or the
// punctuation marks, and Wabun: each character (UTF-8), its elements and its units, the character
// gap after it included; with punctuation, a last line on prosigns.
std::string CodeListing(CodeSet set);
