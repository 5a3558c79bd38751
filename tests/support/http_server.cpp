#include "support/http_server.h"

#include <algorithm>
#include <stdexcept>

LocalHttpServer::LocalHttpServer() {
    auto dispatch = [this](const httplib::Request& req, httplib::Response& res) { Dispatch(req, res); };
    server_.Get(".*", dispatch);
    server_.set_keep_alive_max_count(100);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a test server on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only works on a running server, so wait until the accept loop is up
    // (connections made meanwhile queue on the bound socket).
    while (!server_.is_running()) std::this_thread::yield();
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    server_.stop();
    if (thread_.joinable()) thread_.join();
}

std::string LocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalHttpServer::Serve(const std::string& path, std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    handlers_.erase(path);
    files_[path] = std::move(body);
}

void LocalHttpServer::Remove(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    handlers_.erase(path);
    files_.erase(path);
}

void LocalHttpServer::Handle(const std::string& path, httplib::Server::Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.erase(path);
    handlers_[path] = std::move(handler);
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

int LocalHttpServer::CountRequests(const std::string& method, const std::string& path) const {
    const std::string wanted = method + " " + path;
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(requests_.begin(), requests_.end(), wanted));
}

void LocalHttpServer::Dispatch(const httplib::Request& req, httplib::Response& res) {
    httplib::Server::Handler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(req.method + " " + req.path);
        if (auto h = handlers_.find(req.path); h != handlers_.end()) {
            handler = h->second;
        } else if (auto f = files_.find(req.path); f != files_.end()) {
            res.status = 200;
            res.set_content(f->second, "application/octet-stream");
            return;
        } else {
            res.status = 404;
            res.set_content("not found", "text/plain");
            return;
        }
    }
    handler(req, res);
}
