#include "mods/transfer.h"

#include "mods/archive.h"
#include "platform/paths.h"

#include <mutex>

namespace {

std::mutex limits_mutex;
TransferLimits limits;

size_t WriteBlock(char* data, size_t size, size_t count, void* user) {
    // A short write makes libcurl abort with CURLE_WRITE_ERROR, so a full disk
    // never passes for a finished download.
    return std::fwrite(data, size, count, static_cast<std::FILE*>(user)) * size;
}

int PublishProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    const auto* counters = static_cast<const TransferCounters*>(user);
    if (counters->received) counters->received->store(dlnow, std::memory_order_relaxed);
    if (counters->announced) counters->announced->store(dltotal, std::memory_order_relaxed);
    return 0;
}

long ResponseCode(CURL* curl) {
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

void SetLimits(CURL* curl) {
    const TransferLimits l = CurrentTransferLimits();
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, l.connect_timeout_s);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, l.low_speed_limit);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, l.low_speed_time_s);
    // Several downloads run on worker threads; timeouts must not use signals.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

}  // namespace

TransferLimits CurrentTransferLimits() {
    std::lock_guard<std::mutex> lock(limits_mutex);
    return limits;
}

void SetTransferLimitsForTesting(const TransferLimits& l) {
    std::lock_guard<std::mutex> lock(limits_mutex);
    limits = l;
}

void ResetTransferForTesting() { SetTransferLimitsForTesting(TransferLimits{}); }

CURL* NewTransfer() {
    // curl_global_init is not safe to race with other threads; do it once.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised) return nullptr;
    return curl_easy_init();
}

TransferResult PerformFileTransfer(CURL* curl, const std::string& link, std::FILE* file,
                                   const TransferCounters& counters) {
    if (counters.received) counters.received->store(0);
    if (counters.announced) counters.announced->store(0);
    curl_easy_setopt(curl, CURLOPT_URL, link.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBlock);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    SetLimits(curl);
    // The callback reads this copy; it is unhooked again before returning, so
    // a handle reused for the next volume never sees a dead frame.
    TransferCounters local = counters;
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &PublishProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &local);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    TransferResult result;
    result.code = curl_easy_perform(curl);
    result.status = ResponseCode(curl);
    // A reused handle must not call back into this frame's counters later.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);

    if (result.code == CURLE_OK) {
        // libcurl reports a connection closed early as CURLE_PARTIAL_FILE;
        // this also catches a server that ends the body early without closing.
        curl_off_t announced = -1, received = 0;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &received);
        if (announced >= 0 && received < announced) result.code = CURLE_PARTIAL_FILE;
    }
    if (counters.received) {
        curl_off_t received = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &received);
        counters.received->store(received);
    }
    return result;
}

TransferResult TransferToFile(CURL* curl, const std::string& link, std::FILE* file, const TransferCounters& counters) {
    TransferResult result = PerformFileTransfer(curl, link, file, counters);
    const bool flushed = std::fclose(file) == 0;
    if (!flushed && result.code == CURLE_OK) result.code = CURLE_WRITE_ERROR;
    return result;
}

TransferResult ProbeUrl(CURL* curl, const std::string& link) {
    curl_easy_setopt(curl, CURLOPT_URL, link.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    SetLimits(curl);
    TransferResult result;
    result.code = curl_easy_perform(curl);
    result.status = ResponseCode(curl);
    return result;
}

std::string DescribeFailure(const TransferResult& result) {
    if (result.code != CURLE_OK) return curl_easy_strerror(result.code);
    return "HTTP " + std::to_string(result.status);
}

std::FILE* OpenForWriting(const std::string& path) { return std::fopen(ToFsPath(path).c_str(), "wb"); }

void DiagnosticLine(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

bool FetchFile(const std::string& link, const std::string& destination) {
    CURL* curl = NewTransfer();
    if (!curl) {
        DiagnosticLine(stderr, "Ошибка инициализации CURL");
        return false;
    }
    std::FILE* file = OpenForWriting(destination);
    if (!file) {
        DiagnosticLine(stderr, "Ошибка открытия файла для записи");
        curl_easy_cleanup(curl);
        return false;
    }
    const TransferResult result = TransferToFile(curl, link, file);
    curl_easy_cleanup(curl);
    // The status is tested first, so a request that got no answer says "0".
    if (result.status != 200) {
        DiagnosticLine(stderr, "Ошибка HTTP: " + std::to_string(result.status));
        return false;
    }
    if (result.code != CURLE_OK) {
        DiagnosticLine(stderr, "Ошибка CURL: " + std::string(curl_easy_strerror(result.code)));
        return false;
    }
    ExtractArchive(destination, nullptr);
    return true;
}
