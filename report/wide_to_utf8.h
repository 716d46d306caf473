// The text conversion of everything that goes into a report.
#pragma once

#include <string>

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD; the text ends at its
// first zero character. Throws std::system_error if the system cannot convert,
// which it does not do for any UTF-16 input.
std::string WideToUtf8(const std::wstring& text);
