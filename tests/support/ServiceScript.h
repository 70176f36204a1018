// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Building scripted-server exchanges for the coupon service: the request the
// client must send for an action (checked field by field in the form-data
// body, boundary and all) and the reply the script gives.

#include "service/CouponRecord.h"
#include "tests/support/ScriptedServer.h"

#include <string>
#include <utility>
#include <vector>

using Fields = std::vector<std::pair<std::string, std::string>>;

// The fields of an add ("2") or update ("3"), spelled out in wire order.
Fields SaveFields(const std::string& action, const TCouponRecord& r);

// A POST of a form-data body holding exactly these fields, in this order, to
// the path, sent as HTTP/1.0 with its exact Content-Length.
ScriptedServer::Expect ActionPost(const Fields& fields, const std::string& path = "/couponsactions.php");
// A GET of the path without a body.
ScriptedServer::Expect PlainGet(const std::string& path = "/couponsactions.php");

// A 200 reply with the body, the connection then closed.
std::string Reply(const std::string& body);
// A reply with another status, e.g. "404 Not Found".
std::string StatusReply(const std::string& status, const std::string& body = "");

// The exchange: this action's request answered with this body.
ScriptedServer::Exchange Action(const Fields& fields, const std::string& body,
                                const std::string& path = "/couponsactions.php");

// The fields of a form-data request (empty, with a reason in error, when the
// body is not one).
Fields FormFields(const std::string& request, std::string& error);

// Today's local date as the wire writes it ("2008-7-5").
std::string TodayOnTheWire();
