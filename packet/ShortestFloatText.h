#pragma once
// A binary floating-point value as the shortest decimal text that reads back to it, from a
// given number of significant digits up: "%g" style, exponent form for very large and very
// small magnitudes ("1e+20"), "nan" and "inf" as the standard library spells them.

#include <string>

// Appends the value with `digits` significant digits when that reads back to it, else with
// `digits` + 1 (17 for a double, 9 for a float always read back).
void appendShortestFloatText(std::string& out, double value, int digits);
void appendShortestFloatText(std::string& out, float value, int digits);
