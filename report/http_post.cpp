#include "report/http_post.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The posts run on the UI thread: bound them, so that an unreachable or silent
// server cannot freeze the window for minutes.
constexpr long kConnectTimeoutSeconds = 5;
constexpr long kTransferTimeoutSeconds = 10;

void GlobalCleanup() { curl_global_cleanup(); }

}  // namespace

std::string FormatCurlFailure(int code, const char* error_text, const char* description) {
    std::string text = "\nlibcurl: (" + std::to_string(code) + ") ";
    if (error_text && error_text[0] != '\0') {
        text += error_text;
        if (text.back() != '\n') text += '\n';
    }
    text += description ? description : "";
    text += "\n\n";
    return text;
}

bool PostJson(std::string body, const char* url) {
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        std::fputs("Fatal: The initialization of libcurl has failed.\n", stderr);
        return false;
    }
    // Every successful initialisation is balanced by one clean-up at exit.
    if (std::atexit(GlobalCleanup) != 0) {
        std::fputs("Fatal: atexit failed to register curl_global_cleanup.\n", stderr);
        curl_global_cleanup();
        return false;
    }

    char error_buffer[CURL_ERROR_SIZE];
    char user_agent[1024];
    std::memset(error_buffer, 0, sizeof error_buffer);
    std::memset(user_agent, 0, sizeof user_agent);

    CURL* curl = curl_easy_init();
    if (!curl) {
        std::fputs("Error: curl_easy_init failed.\n", stderr);
        return false;
    }
    std::snprintf(user_agent, sizeof user_agent, "libcurl/%s", curl_version_info(CURLVERSION_NOW)->version);
    user_agent[sizeof user_agent - 1] = '\0';

    curl_easy_setopt(curl, CURLOPT_USERAGENT, user_agent);
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type:application/json");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, -1L);
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_buffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);

    const CURLcode code = curl_easy_perform(curl);
    const bool ok = code == CURLE_OK;
    if (!ok) {
        std::fputs(FormatCurlFailure(code, error_buffer, curl_easy_strerror(code)).c_str(), stderr);
    }

    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return ok;
}
