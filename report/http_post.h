// Posts one JSON text to one URL and waits for the exchange to end.
#pragma once

#include <string>

// True when the transfer ran to its end, whatever HTTP status the server
// answered; false when it failed, with the reason on the standard error stream.
// The library traces the exchange on the standard error stream as well. A post
// gives up after 5 seconds without a connection and after 10 seconds in all.
bool PostJson(std::string body, const char* url);

// What a failed transfer writes to the standard error stream: an empty line, the
// result code with the library's error text (when there is one) on one line, the
// library's description of the code, and an empty line.
std::string FormatCurlFailure(int code, const char* error_text, const char* description);
