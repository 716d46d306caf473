#include "tests/report/collector_client.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#if defined(_WIN32)
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::string StringMember(const cJSON* object, const char* name) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, name);
    return cJSON_IsString(item) ? item->valuestring : "";
}

}  // namespace

bool Collector::Available(std::string& why) {
    if (Env("UNINST_COLLECTOR_URL").empty() || Env("UNINST_COLLECTOR_LOG").empty()) {
        why = "run through tests/report/with_collector.sh";
        return false;
    }
    return true;
}

std::string Collector::Url() { return Env("UNINST_COLLECTOR_URL"); }

void Collector::SetStatus(const std::string& status) {
    std::ofstream(Env("UNINST_COLLECTOR_STATUS_FILE"), std::ios::binary | std::ios::trunc) << status << "\n";
}

std::vector<CollectedRequest> Collector::Requests() {
    std::vector<CollectedRequest> requests;
    std::ifstream log(Env("UNINST_COLLECTOR_LOG"), std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        cJSON* entry = cJSON_Parse(line.c_str());
        if (!entry) continue;
        CollectedRequest r;
        r.method = StringMember(entry, "method");
        r.path = StringMember(entry, "path");
        r.body = FromHex(StringMember(entry, "body_hex"));
        const cJSON* header = nullptr;
        cJSON_ArrayForEach(header, cJSON_GetObjectItemCaseSensitive(entry, "headers")) {
            r.headers.emplace_back(cJSON_GetArrayItem(header, 0)->valuestring,
                                   cJSON_GetArrayItem(header, 1)->valuestring);
        }
        const cJSON* raw = nullptr;
        cJSON_ArrayForEach(raw, cJSON_GetObjectItemCaseSensitive(entry, "raw_headers")) {
            r.raw_headers.emplace_back(raw->valuestring);
        }
        requests.push_back(r);
        cJSON_Delete(entry);
    }
    return requests;
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(2);
    if (file_) dup2(fileno(file_), 2);
}

StderrCapture::~StderrCapture() {
    Stop();
    if (file_) std::fclose(file_);
}

std::string StderrCapture::Stop() {
    if (saved_ < 0) return "";
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
    std::string text;
    if (file_) {
        std::fseek(file_, 0, SEEK_SET);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
    }
    return text;
}
