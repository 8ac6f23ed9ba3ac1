// Letter case of UTF-16 units: the one-to-one mappings of the Basic Multilingual Plane.
#pragma once

namespace lectra {

char16_t LowerCase(char16_t unit);
char16_t UpperCase(char16_t unit);

}  // namespace lectra
