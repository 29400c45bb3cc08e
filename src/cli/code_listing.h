// --list-codes: the code table as the program holds it, for the user to read.
#pragma once

#include <string>

// Grouped into Latin letters, digits, parentheses and Wabun: each character (UTF-8), its
// elements and its units, the character gap after it included.
std::string CodeListing();
