// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the transport benchmarks share: curl run as the peer, the action body
// both sides post, and the rounds that alternate between the two sides so
// that a burst of load from elsewhere on the machine hits both alike.

#include "bench/common/BenchSupport.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace curl_peer {

using Clock = std::chrono::steady_clock;

// Ends the program with what when ok is false.
void Check(bool ok, const char* what);
// Runs curl with the arguments; returns its wall time in seconds.
double RunCurl(const std::vector<std::string>& arguments);

// The body of a list request (action 5), and its bytes as curl sends them.
std::unique_ptr<TIdMultiPartFormDataStream> ActionBody();
std::string BodyBytes(TIdMultiPartFormDataStream& body);

// A curl config of count POSTs of the body file to url, each line of extra
// added to every request (say, "cacert = ...").
std::string PostConfig(int count, const std::string& url, const std::string& bodyFile, const std::string& contentType,
                       const std::vector<std::string>& extra = {});

// Posts an action body to url count times with http, each answered "OK";
// adds each request's time to each and returns the whole time in seconds.
double PostAll(TIdHTTP& http, const std::string& url, int count, std::vector<double>& each);

double Median(std::vector<double> values);
double Best(const std::vector<double>& values);
// Runs ours and curl in alternating rounds; returns each side's times.
void Alternate(int rounds, const std::function<double()>& ours, const std::function<double()>& curl,
               std::vector<double>& oursTimes, std::vector<double>& curlTimes);

}  // namespace curl_peer
