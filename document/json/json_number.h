#pragma once
// Locale-independent number reading shared by the parser and the writers.

#include <cstddef>

namespace ob {

// Reads the longest prefix of [first, last) that forms a decimal number in
// general notation (optional minus, digits with at most one point, optional
// exponent; after a minus also inf, infinity and nan). Fails when there is
// none or when the value overflows or a non-zero value underflows to zero.
bool parseJsonNumberPrefix(const char* first, const char* last, double& value, std::size_t& used);

}  // namespace ob
