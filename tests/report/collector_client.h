// Test side of the report collector (tests/support/collector.py), started by
// with_collector.sh, which puts its address and files into the environment.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

struct CollectedRequest {
    std::string method, path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<std::string> raw_headers;
    std::string body;  // the exact bytes
};

class Collector {
public:
    // False (and a message) when the test does not run under with_collector.sh.
    static bool Available(std::string& why);
    static std::string Url();  // http://127.0.0.1:PORT
    // "200", "404", "500" or "never": how the collector answers from now on.
    static void SetStatus(const std::string& status);
    // Every request received so far, in order of arrival.
    static std::vector<CollectedRequest> Requests();
};

// Collects what the process writes to its standard error stream (file
// descriptor 2, where the library's trace and the poster's texts go).
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    std::string Stop();  // restores the stream and returns what was written

private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};
