// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ServiceScript.h"

#include <algorithm>
#include <ctime>

namespace {

std::string HeaderValue(const std::string& head, const std::string& name) {
    std::string key = "\r\n" + name + ": ";
    std::size_t at = head.find(key);
    if (at == std::string::npos)
        return {};
    std::size_t start = at + key.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

std::string Describe(const Fields& fields) {
    std::string out;
    for (const auto& [name, value] : fields)
        out += "  " + name + "=[" + value + "]\n";
    return out;
}

} // namespace

Fields FormFields(const std::string& request, std::string& error) {
    Fields fields;
    std::size_t headEnd = request.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        error = "no end of head";
        return {};
    }
    std::string head = request.substr(0, headEnd);
    std::string body = request.substr(headEnd + 4);
    std::string type = HeaderValue(head, "Content-Type");
    const std::string prefix = "multipart/form-data; boundary=";
    if (type.rfind(prefix, 0) != 0) {
        error = "Content-Type is \"" + type + "\"";
        return {};
    }
    std::string delimiter = "--" + type.substr(prefix.size());
    if (HeaderValue(head, "Content-Length") != std::to_string(body.size())) {
        error = "Content-Length " + HeaderValue(head, "Content-Length") + " for a body of " + std::to_string(body.size());
        return {};
    }
    std::size_t pos = 0;
    const std::string disposition = "Content-Disposition: form-data; name=\"";
    while (body.compare(pos, delimiter.size() + 2, delimiter + "\r\n") == 0) {
        pos += delimiter.size() + 2;
        if (body.compare(pos, disposition.size(), disposition) != 0) {
            error = "no disposition line at byte " + std::to_string(pos);
            return {};
        }
        pos += disposition.size();
        std::size_t nameEnd = body.find("\"\r\n\r\n", pos);
        std::string name = body.substr(pos, nameEnd - pos);
        pos = nameEnd + 5;
        // Each value is followed by CR LF; the closing delimiter brings one more.
        std::size_t next = body.find("\r\n" + delimiter + "\r\n", pos);
        std::size_t last = body.find("\r\n\r\n" + delimiter + "--\r\n", pos);
        std::size_t valueEnd = std::min(next, last);
        if (valueEnd == std::string::npos) {
            error = "field " + name + " never ends";
            return {};
        }
        fields.emplace_back(name, body.substr(pos, valueEnd - pos));
        if (valueEnd == last) {
            if (last + 4 + delimiter.size() + 4 != body.size()) {
                error = "bytes after the closing delimiter";
                return {};
            }
            return fields;
        }
        pos = valueEnd + 2;
    }
    error = "the body does not end with its closing delimiter";
    return {};
}

Fields SaveFields(const std::string& action, const TCouponRecord& r) {
    return {{"action", action},
            {"coupid", r.coupid},
            {"coupcode", r.coupcode},
            {"coupname", r.coupname},
            {"coupexpired", r.coupexpired},
            {"coupexpirtype", r.coupexpirtype},
            {"coupexpirdays", r.coupexpirdays},
            {"coupexpirdate", r.coupexpirdate},
            {"couponorderurl", r.couponorderurl},
            {"couponcomments", r.couponcomments},
            {"coupcreatedate", r.coupcreatedate},
            {"end", ""}};
}

ScriptedServer::Expect ActionPost(const Fields& expected, const std::string& path) {
    return ScriptedServer::Expect::Where([expected, path](const std::string& request) -> std::string {
        std::string line = "POST " + path + " HTTP/1.0\r\n";
        if (request.rfind(line, 0) != 0)
            return "expected a request starting with " + line + "got " + request.substr(0, request.find("\r\n"));
        std::string error;
        Fields got = FormFields(request, error);
        if (!error.empty())
            return error;
        if (got != expected)
            return "fields differ; expected:\n" + Describe(expected) + "got:\n" + Describe(got);
        return {};
    });
}

ScriptedServer::Expect PlainGet(const std::string& path) {
    return ScriptedServer::Expect::Where([path](const std::string& request) -> std::string {
        std::string line = "GET " + path + " HTTP/1.1\r\n";
        if (request.rfind(line, 0) != 0)
            return "expected a request starting with " + line + "got " + request.substr(0, request.find("\r\n"));
        if (request.find("\r\nContent-Length:") != std::string::npos)
            return "a GET with a Content-Length";
        return {};
    });
}

std::string Reply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::string StatusReply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

ScriptedServer::Exchange Action(const Fields& fields, const std::string& body, const std::string& path) {
    return {ActionPost(fields, path), Reply(body), ScriptedServer::Then::Close};
}

std::string TodayOnTheWire() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
           std::to_string(local.tm_mday);
}
