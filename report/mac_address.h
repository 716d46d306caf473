// The hardware address that identifies this machine in both reports (Windows only).
#pragma once

#include <string>

// The process-wide address: probed until a physical adapter is found, then kept.
// "FF:FF:FF:FF:FF:FF" while none has been found. Never empty.
std::string GetMacAddress();

// Looks at the adapters once; true when it found a physical one and stored the
// smallest such address in the cache, false (cache untouched) otherwise.
bool ProbeMacAddress();
