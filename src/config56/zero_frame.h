#pragma once
// Telling a frame {X x,Y y,Z z,A a,B b,C c} that places nothing.

#include <string_view>

// All six components are 0 as 32-bit floats; missing components count as 0.
bool IsZeroFrame(std::string_view frame);
// The leading decimal number of text (sign, digits, "." and an exponent) as
// a 32-bit float; 0 when text does not begin with one.
float LeadingFloat(std::string_view text);
