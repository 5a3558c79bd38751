#pragma once
// HTTP(S) file transfers over libcurl's easy interface: the settings every
// remote file of the mods manager is moved with, the success rule, and
// FetchFile, the synchronous fetch the catalogue loader uses.
//
// Diagnostic lines are Russian (UTF-8), one per failure, on standard error.
#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <string>

// Time limits that end a dead transfer instead of letting it hang forever.
struct TransferLimits {
    long connect_timeout_s = 15;  // CURLOPT_CONNECTTIMEOUT
    long low_speed_limit = 1;     // CURLOPT_LOW_SPEED_LIMIT, bytes per second
    long low_speed_time_s = 60;   // CURLOPT_LOW_SPEED_TIME
};

// The limits in effect; tests shorten them so a stall trips in a second.
TransferLimits CurrentTransferLimits();
void SetTransferLimitsForTesting(const TransferLimits& limits);
void ResetTransferForTesting();

// Where a transfer publishes its byte counts for the frame thread, which must
// never touch a running easy handle. Either pointer may be null.
struct TransferCounters {
    std::atomic<long long>* received = nullptr;
    std::atomic<long long>* announced = nullptr;
};

// Outcome of one request: the libcurl code and the last response code.
struct TransferResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    bool Ok() const { return code == CURLE_OK && status == 200; }
};

// A new easy handle (libcurl initialised once per process); nullptr on failure.
CURL* NewTransfer();

// Sets the file-transfer settings on `curl`, performs the request into the open
// file and reads the response code. The counters are reset to 0 first. A body
// shorter than its announced length, or a file that cannot be written or
// flushed completely, is a failure. The caller still closes `file`.
TransferResult PerformFileTransfer(CURL* curl, const std::string& link, std::FILE* file,
                                   const TransferCounters& counters = {});

// Like PerformFileTransfer but closes the file itself and counts a failed
// close (data not reaching the disk) as a failed transfer.
TransferResult TransferToFile(CURL* curl, const std::string& link, std::FILE* file,
                              const TransferCounters& counters = {});

// The HEAD-style probe of a multi-volume download: no body, redirects
// followed, the launcher's user agent. Same success rule as a file transfer.
TransferResult ProbeUrl(CURL* curl, const std::string& link);

// curl_easy_strerror of the code, or "HTTP " and the status when the transfer
// itself went through.
std::string DescribeFailure(const TransferResult& result);

// Opens the destination for binary writing (created or truncated).
std::FILE* OpenForWriting(const std::string& path);

// Writes one diagnostic line (a line feed added) and flushes the stream.
void DiagnosticLine(std::FILE* stream, const std::string& text);

// Fetches `link` into `destination` on the caller's thread, then hands the
// file to ExtractArchive (a zip is installed; other files stay where they are).
bool FetchFile(const std::string& link, const std::string& destination);

inline constexpr const char* kUserAgent = "Ze-Vadadize/1.0";
