// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/update/UpdateSupport.h"

#include <QApplication>
#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

std::string DescriptorText(const std::string& version) {
    return "[APPLICATION]\r\nName=Corvanta\r\nVersion=" + version + "\r\n";
}

std::string Ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

ScriptedServer::Expect DescriptorGet() {
    return ScriptedServer::Expect::Pattern("GET /liveupdate/corvanta/mainappupdate.inf HTTP/1.1\r\n{ANY}");
}

ScriptedServer::Exchange DescriptorExchange(const std::string& version) {
    return {DescriptorGet(), Ok(DescriptorText(version))};
}

void WriteStandInUpdater(const TempDir& dir) {
    dir.Write("Updater.exe",
              "#!/bin/sh\n"
              "here=$(dirname \"$0\")\n"
              "printf '%s\\n' \"$#\" \"$@\" > \"$here/args.tmp\" && mv \"$here/args.tmp\" \"$here/args.txt\"\n");
    std::filesystem::permissions(dir.File("Updater.exe"), std::filesystem::perms(0755));
}

std::string ArgsRecord(const std::vector<std::string>& args) {
    std::string record = std::to_string(args.size()) + "\n";
    for (const std::string& a : args)
        record += a + "\n";
    return record;
}

