#pragma once
// A small HTTP server for tests, on 127.0.0.1 with an ephemeral port. Files
// are served from memory; any path can instead get a handler of its own.
// Every request is logged (method and path) so tests can count probes.
#include <httplib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path (path starts with '/').
    std::string Url(const std::string& path) const;

    // Serves `body` with status 200 for GET and HEAD of `path`.
    void Serve(const std::string& path, std::string body);
    void Remove(const std::string& path);
    // Replaces the handling of `path` (GET and HEAD).
    void Handle(const std::string& path, httplib::Server::Handler handler);

    // Requests seen so far, as "METHOD path".
    std::vector<std::string> Requests() const;
    int CountRequests(const std::string& method, const std::string& path) const;

    // Set while the server shuts down; long-running handlers poll it.
    const std::atomic<bool>& stopping() const { return stopping_; }

private:
    void Dispatch(const httplib::Request& req, httplib::Response& res);

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::map<std::string, httplib::Server::Handler> handlers_;
    std::vector<std::string> requests_;
};
