#include <windows.h>

#include "platform/text_compare.h"

int CompareStrings(const char* left, int32_t leftLength, const char* right, int32_t rightLength) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, left, leftLength, right, rightLength);
}

void UpperCaseInPlace(char* text) { CharUpperA(text); }
