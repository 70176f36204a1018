// SPDX-License-Identifier: GPL-3.0-or-later
// The update check on the real main window, silently from the start-up tick
// and in full on "Check Updates", against an update site played by the
// scripted loopback server and a stand-in updater in the temporary
// executable directory.

#include "tests/support/ReadOnlyDir.h"
#include "tests/support/gui/MainWindowFixture.h"
#include "tests/update/UpdateSupport.h"
#include "update/UpdateCheck.h"
#include "update/UpdateSite.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

const std::string kM1 = "There's no new updates for this application!";
std::string M2(const std::string& version) {
    return "There is a new update: (version " + version +
           ") available for your application!. Do you want download this update now?";
}
const std::string kM3 = "The updater module is missing. Please reinstall again the current version!";
const std::string kM4 =
    "To update your software the application will close to\n\rreplace some files. Do you want to update now?";

const std::string kStale = "[APPLICATION]\r\nName=Corvanta\r\nVersion=9.99\r\n";
const std::vector<std::string> kOk{"OK"};
const std::vector<std::string> kOkCancel{"OK", "Cancel"};

ScriptedServer::Exchange Held(ScriptedServer::Exchange exchange) {
    exchange.held = true;
    return exchange;
}

ScriptedServer::Exchange NotFound() {
    return {DescriptorGet(), "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"};
}

// A coupon site that answers the start-up's readiness check and list load.
Expect SiteAction(const std::string& action) {
    return Expect::Where([action](const std::string& request) -> std::string {
        if (request.rfind("POST /couponsactions.php HTTP/1.0\r\n", 0) != 0)
            return "not a POST of the script";
        if (request.find("name=\"action\"\r\n\r\n" + action + "\r\n") == std::string::npos)
            return "not action " + action;
        return "";
    });
}

class UpdateCheck : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetUpdateBaseURLOverride(BaseURL());
        // The coupon site is unreachable unless a test serves one.
        PrepareSite(site.Url());
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        SetUpdateBaseURLOverride("");
    }

    std::string BaseURL() const { return update.Url("/liveupdate/corvanta/"); }

    // Starts the window; its start-up must show no message.
    void StartSilently() {
        MessageLog log;
        Start();
        EXPECT_TRUE(log.Seen().empty()) << log.Seen()[0].text;
    }

    // Starts the window while the update site has no descriptor.
    void StartQuietly() {
        update.Add(NotFound());
        StartSilently();
        ASSERT_TRUE(update.WaitDone());
    }

    // Presses "Check Updates" and returns the messages it showed, answered in turn.
    std::vector<SeenMessage> CheckUpdates(std::vector<std::string> answers = {"OK"}) {
        MessageLog log(std::move(answers));
        Click(window->btnUpdate);
        return log.Seen();
    }

    bool UpdaterStarted() { return WaitFor([&] { return dir.Exists("args.txt"); }); }

    ScriptedServer update;
    RefusedPort site;
};

void ExpectMessage(const SeenMessage& seen, const std::string& text, const std::string& title,
                   const std::vector<std::string>& buttons) {
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.title, title);
    EXPECT_EQ(seen.buttons, buttons);
}

TEST_F(UpdateCheck, StartupCheckIsTheFirstRequestAndWaitsWithoutReadLimit) {
    update.Add(Held({Expect::Exact("GET /liveupdate/corvanta/mainappupdate.inf HTTP/1.1\r\n"
                                   "Content-Type: text/html\r\nHost: {HOST}\r\nAccept: text/html, */*\r\n"
                                   "User-Agent: Mozilla/4.5 [ja] (WinNT; I)\r\n\r\n"),
                     Ok(DescriptorText("1.02"))}));
    int readTimeout = -1;
    int connectTimeout = -1;
    WhenReceived during(update, 0, [&] {
        readTimeout = window->IdHTTP1.ReadTimeout();
        connectTimeout = window->IdHTTP1.LastConnectTimeout();
        update.Release();
    });
    StartSilently();
    EXPECT_TRUE(during.Ran());
    EXPECT_TRUE(update.WaitDone());
    EXPECT_EQ(readTimeout, 0);
    EXPECT_EQ(connectTimeout, 120000);
    EXPECT_TRUE(window->isVisible());
    // The descriptor stays after a successful download.
    EXPECT_EQ(dir.Read("mainappupdate.inf"), DescriptorText("1.02"));

    // The start-up's server check set the service time-out; a later check
    // inherits it, for its connect too.
    update.Add(Held(DescriptorExchange("1.02")));
    WhenReceived later(update, 1, [&] {
        readTimeout = window->IdHTTP1.ReadTimeout();
        connectTimeout = window->IdHTTP1.LastConnectTimeout();
        update.Release();
    });
    std::vector<SeenMessage> seen = CheckUpdates();
    EXPECT_TRUE(later.Ran());
    EXPECT_EQ(readTimeout, 60000);
    EXPECT_EQ(connectTimeout, 60000);
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], kM1, "Information", kOk);
}

// Descriptors that publish nothing newer than 1.02.
class NothingNewer : public UpdateCheck, public ::testing::WithParamInterface<const char*> {};

TEST_P(NothingNewer, IsSilentAtStartupAndSaysSoOnTheButton) {
    const std::string descriptor = GetParam();
    update.Add({DescriptorGet(), Ok(descriptor)});
    StartSilently();

    update.Add({DescriptorGet(), Ok(descriptor)});
    std::vector<SeenMessage> seen = CheckUpdates();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], kM1, "Information", kOk);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dir.Read("mainappupdate.inf"), descriptor);
    EXPECT_TRUE(update.WaitDone());
}

TEST_F(UpdateCheck, CtrlUChecksAsTheButtonDoes) {
    const std::string descriptor = "[APPLICATION]\r\nVersion=1.02\r\n";
    update.Add({DescriptorGet(), Ok(descriptor)});
    StartSilently();
    ASSERT_TRUE(WaitForActive(window.get()));
    update.Add({DescriptorGet(), Ok(descriptor)});
    MessageLog log({"OK"});
    Press(Qt::Key_U, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return log.Seen().size() == 1; }));
    ExpectMessage(log.Seen()[0], kM1, "Information", kOk);
    EXPECT_TRUE(update.WaitDone());
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, NothingNewer,
    ::testing::Values("[APPLICATION]\r\nName=Corvanta\r\nVersion=1.02\r\n",
                      // The same single as 1.02.
                      "[APPLICATION]\r\nVersion=1.0200000001\r\n", "[application]\r\nversion=102E-2\r\n",
                      // Decimal, not dotted: 1.019 is older.
                      "[APPLICATION]\r\nVersion=1.019\r\n",
                      // Not a number in this locale, empty, absent: 0.
                      "[APPLICATION]\r\nVersion=1,03\r\n", "[APPLICATION]\r\nVersion=2.0 beta\r\n",
                      "[APPLICATION]\r\nVersion=\r\n", "[APPLICATION]\r\nName=Corvanta\r\n",
                      "[OTHER]\r\nVersion=9\r\n", "not an INI file at all"));

struct Offer {
    const char* version;  // as written in the descriptor
    const char* shown;    // as M2 shows it
};

void PrintTo(const Offer& o, std::ostream* os) { *os << o.version; }

class NewerVersion : public UpdateCheck, public ::testing::WithParamInterface<Offer> {};

TEST_P(NewerVersion, IsOfferedWithItsTextAsReadAndCancelKeepsTheClient) {
    WriteStandInUpdater(dir);
    StartQuietly();
    update.Add(DescriptorExchange(GetParam().version));
    std::vector<SeenMessage> seen = CheckUpdates({"Cancel"});
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], M2(GetParam().shown), "Information", kOkCancel);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dir.Read("mainappupdate.inf"), DescriptorText(GetParam().version));
    EXPECT_FALSE(dir.Exists("args.txt"));
}

// The descriptor's limit of 1 MiB lets a descriptor of exactly that size
// through, and holds for the check only.
TEST_F(UpdateCheck, DescriptorOfOneMegabyteIsReadAndTheLimitEndsWithTheCheck) {
    StartQuietly();
    const std::string padded = DescriptorText("1.03") + std::string((1 << 20) - DescriptorText("1.03").size(), ' ');
    update.Add({DescriptorGet(), "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + padded});
    std::vector<SeenMessage> seen = CheckUpdates({"Cancel"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, M2("1.03"));
    EXPECT_EQ(window->IdHTTP1.MaxBodySize(), TIdHTTP::kDefaultMaxBodySize);
}

INSTANTIATE_TEST_SUITE_P(Versions, NewerVersion,
                         ::testing::Values(Offer{"1.021", "1.021"}, Offer{"1.10", "1.10"}, Offer{"1.9", "1.9"},
                                           Offer{"2", "2"}, Offer{"0.2e1", "0.2e1"},
                                           // Quotes go, the blanks inside them stay in the text.
                                           Offer{"\" 1.03 \"", " 1.03 "}));

TEST_F(UpdateCheck, OkTwiceStartsTheUpdaterWithItsThreeWordsAndEndsTheClient) {
    WriteStandInUpdater(dir);
    StartQuietly();
    update.Add(DescriptorExchange("1.021"));
    std::vector<SeenMessage> seen = CheckUpdates({"OK", "OK"});
    ASSERT_EQ(seen.size(), 2u);
    ExpectMessage(seen[0], M2("1.021"), "Information", kOkCancel);
    ExpectMessage(seen[1], kM4, "Information", kOkCancel);
    ASSERT_TRUE(UpdaterStarted());
    EXPECT_EQ(dir.Read("args.txt"), ArgsRecord({BaseURL(), "1.01999998092651", "A"}));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dir.Read("mainappupdate.inf"), DescriptorText("1.021"));
}

TEST_F(UpdateCheck, CancelOnTheSecondQuestionKeepsTheClient) {
    WriteStandInUpdater(dir);
    StartQuietly();
    update.Add(DescriptorExchange("1.021"));
    std::vector<SeenMessage> seen = CheckUpdates({"OK", "Cancel"});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, kM4);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dir.Read("mainappupdate.inf"), DescriptorText("1.021"));
    EXPECT_FALSE(dir.Exists("args.txt"));
}

TEST_F(UpdateCheck, MissingUpdaterIsReportedAndTheClientGoesOn) {
    StartQuietly();
    update.Add(DescriptorExchange("1.021"));
    std::vector<SeenMessage> seen = CheckUpdates({"OK", "OK"});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, M2("1.021"));
    ExpectMessage(seen[1], kM3, "Warning", kOk);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(UpdateCheck, OfferAtStartupHandsOverAndTheTickStillRunsItsServerSteps) {
    WriteStandInUpdater(dir);
    ScriptedServer coupons({{SiteAction("1"), "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nOK", Then::Close},
                            {SiteAction("5"), "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", Then::Close}});
    PrepareSite("http://" + coupons.HostPort());
    update.Add(DescriptorExchange("1.021"));
    MessageLog log({"OK", "OK"});
    Start();
    ASSERT_EQ(log.Seen().size(), 2u);
    EXPECT_EQ(log.Seen()[0].text, M2("1.021"));
    EXPECT_EQ(log.Seen()[1].text, kM4);
    ASSERT_TRUE(UpdaterStarted());
    EXPECT_EQ(dir.Read("args.txt"), ArgsRecord({BaseURL(), "1.01999998092651", "A"}));
    EXPECT_FALSE(window->isVisible());
    // The readiness check and the list load ran after the hand-off.
    EXPECT_TRUE(coupons.WaitDone());
}

TEST_F(UpdateCheck, CommaLocaleReadsCommasAndHandsTheVersionOverWithAComma) {
    DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    WriteStandInUpdater(dir);
    StartQuietly();

    update.Add(DescriptorExchange("1.03"));
    std::vector<SeenMessage> seen = CheckUpdates();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, kM1);

    update.Add(DescriptorExchange("1,03"));
    seen = CheckUpdates({"OK", "OK"});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, M2("1,03"));
    ASSERT_TRUE(UpdaterStarted());
    EXPECT_EQ(dir.Read("args.txt"), ArgsRecord({BaseURL(), "1,01999998092651", "A"}));
    EXPECT_FALSE(window->isVisible());
}

struct Failure {
    const char* name;
    ScriptedServer::Exchange exchange;
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

class FailedDownload : public UpdateCheck, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailedDownload, CountsAsNothingNewAndLeavesNoDescriptor) {
    StartQuietly();
    dir.Write("mainappupdate.inf", kStale);
    update.Add(GetParam().exchange);
    std::vector<SeenMessage> seen = CheckUpdates();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], kM1, "Information", kOk);
    EXPECT_FALSE(dir.Exists("mainappupdate.inf"));
    EXPECT_TRUE(update.WaitDone());
    EXPECT_TRUE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, FailedDownload,
    ::testing::Values(Failure{"NotFound", NotFound()},
                      Failure{"CutShort",
                              {DescriptorGet(),
                               "HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\n" + DescriptorText("9.99"), Then::Close}},
                      Failure{"ChunksCutShort",
                              {DescriptorGet(),
                               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100\r\n" + DescriptorText("9.99"),
                               Then::Close}},
                      // A descriptor is downloaded with a limit of 1 MiB.
                      Failure{"LongerThanOneMegabyte",
                              {DescriptorGet(), "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n" +
                                                    DescriptorText("9.99") +
                                                    std::string(1048577 - DescriptorText("9.99").size(), ' ')}},
                      Failure{"WithoutEnd",
                              [] {
                                  ScriptedServer::Exchange endless{DescriptorGet(), "HTTP/1.0 200 OK\r\n\r\n" +
                                                                                        DescriptorText("9.99")};
                                  endless.generatedText = "\r\n";
                                  endless.generatedBytes = std::uint64_t(1) << 40;
                                  return endless;
                              }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateCheck, NoNetworkShowsNothingAtStartupAndNoUpdateOnTheButton) {
    RefusedPort nowhere;
    SetUpdateBaseURLOverride(nowhere.Url("/liveupdate/corvanta/"));
    dir.Write("mainappupdate.inf", kStale);
    StartSilently();
    EXPECT_FALSE(dir.Exists("mainappupdate.inf"));

    std::vector<SeenMessage> seen = CheckUpdates();
    ASSERT_EQ(seen.size(), 1u);
    ExpectMessage(seen[0], kM1, "Information", kOk);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(UpdateCheck, BuiltInUpdateHostNeverHoldsUpTheStartup) {
    // The built-in host is a reserved name: without a lookup the check ends
    // as one that found no site, and the start-up goes on to its server check.
    SetUpdateBaseURLOverride("");
    ASSERT_NE(UpdateBaseURL().find(".example/"), std::string::npos) << UpdateBaseURL();
    dir.Write("mainappupdate.inf", kStale);
    StartSilently();
    EXPECT_FALSE(dir.Exists("mainappupdate.inf"));
    std::vector<SeenMessage> seen = CheckUpdates();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, kM1);
}

TEST_F(UpdateCheck, DescriptorThatCannotBeCreatedIsSilentAtStartupAndReportedOnTheButton) {
    ReadOnlyDir guard(dir.Path());
    MessageLog log;
    Start();
    EXPECT_TRUE(log.Seen().empty());
    EXPECT_TRUE(window->isVisible());

    std::string report;
    ModalAction reporter("ErrorDialog", [&](QWidget* e) {
        report = Child<QLabel>(e, "message")->text().toStdString();
        Click(Child<QPushButton>(e, "btnContinue"));
    });
    Click(window->btnUpdate);
    ASSERT_TRUE(WaitFor([&] { return reporter.Ran(); }));
    EXPECT_NE(report.find("Cannot create file \"" + dir.File("mainappupdate.inf") + "\""), std::string::npos)
        << report;
    EXPECT_TRUE(log.Seen().empty());
    EXPECT_EQ(update.ServedCount(), 0);
}

TEST_F(UpdateCheck, NoSecondCheckWhileTheClientIsBusyOrACheckIsUnderWay) {
    StartQuietly();
    dir.Write("mainappupdate.inf", kStale);
    update.Add(Held(DescriptorExchange("1.021")));
    bool busy = false;
    WhenReceived during(update, 1, [&] {
        busy = window->IdHTTP1.Busy();
        // A second press, and a check started directly, while the download waits.
        Click(window->btnUpdate);
        TUpdateCheck(window->IdHTTP1, window->msgMain, [] { ADD_FAILURE() << "closed"; }).CheckForUpdates(false);
        update.Release();
    });
    // While the offer is open the client is idle, but the check is still
    // under way: a check started then leaves its descriptor alone.
    std::vector<SeenMessage> seen;
    {
        MessageLog log({"Cancel"}, [&](std::size_t) {
            TUpdateCheck(window->IdHTTP1, window->msgMain, [] { ADD_FAILURE() << "closed"; }).CheckForUpdates(true);
        });
        Click(window->btnUpdate);
        seen = log.Seen();
    }
    EXPECT_TRUE(during.Ran());
    EXPECT_TRUE(busy);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, M2("1.021"));
    EXPECT_EQ(dir.Read("mainappupdate.inf"), DescriptorText("1.021"));
    EXPECT_TRUE(update.Check());
    EXPECT_EQ(update.ServedCount(), 2);
}

} // namespace
