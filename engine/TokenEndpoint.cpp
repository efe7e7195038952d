#include "engine/TokenEndpoint.h"

#include "engine/FormEncode.h"

#include <curl/curl.h>
#include <mutex>

namespace tolvane {

namespace {

constexpr size_t kMaxAnswerBytes = 1u << 20;

struct Transfer {
    std::string answer;
    const std::atomic<int32_t>* pCancel = nullptr;
};

size_t Collect(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const size_t bytes = size * count;
    if (transfer->answer.size() + bytes > kMaxAnswerBytes) {
        return 0; // ends the transfer with a write error
    }
    transfer->answer.append(data, bytes);
    return bytes;
}

int Progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(context);
    return transfer->pCancel != nullptr && transfer->pCancel->load() != 0 ? 1 : 0;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The host part of an http(s) URL: after "://", up to the port, path, query or fragment.
std::string HostOf(const std::string& url, size_t schemeEnd) {
    const size_t start = schemeEnd + 3;
    if (start < url.size() && url[start] == '[') {
        const size_t close = url.find(']', start);
        return close == std::string::npos ? "" : url.substr(start, close - start + 1);
    }
    const size_t end = url.find_first_of(":/?#", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

bool IsAllowedEndpoint(const std::string& url) {
    if (url.find_first_of(" \t\r\n") != std::string::npos) {
        return false;
    }
    if (url.rfind("https://", 0) == 0) {
        return url.size() > 8;
    }
    if (url.rfind("http://", 0) != 0) {
        return false;
    }
    const std::string host = HostOf(url, 4);
    return host == "127.0.0.1" || host == "[::1]" || host == "localhost";
}

int PostTokenRequest(const std::string& url, const FormFields& fields,
                     const std::atomic<int32_t>* pCancel, long timeoutSeconds, TokenReply& reply,
                     std::string& detail) {
    reply = TokenReply{};
    if (!IsAllowedEndpoint(url)) {
        detail = "token endpoint is not an https URL";
        return TOKEN_FAILED;
    }
    GlobalInit();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        detail = "no HTTP client";
        return TOKEN_FAILED;
    }
    std::string body = FormBody(fields);
    Transfer transfer;
    transfer.pCancel = pCancel;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_slist* headers = curl_slist_append(nullptr, "Accept: application/json");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    body.assign(body.size(), '\0'); // it held the code or the refresh token
    if (result == CURLE_ABORTED_BY_CALLBACK) {
        return TOKEN_CANCELLED;
    }
    if (result != CURLE_OK) {
        detail = curl_easy_strerror(result);
        return TOKEN_FAILED;
    }
    TokenReply answer;
    if (!ParseTokenReply(transfer.answer, answer)) {
        detail = "HTTP " + std::to_string(status) + ", not a JSON object";
        return TOKEN_FAILED;
    }
    if ((status == 400 || status == 401) && answer.strError == "invalid_grant") {
        return TOKEN_SIGN_IN;
    }
    if (status != 200 || answer.strAccessToken.empty()) {
        detail = "HTTP " + std::to_string(status) +
                 (answer.strError.empty() ? "" : ", error " + answer.strError);
        return TOKEN_FAILED;
    }
    reply = std::move(answer);
    return TOKEN_OK;
}

} // namespace tolvane
