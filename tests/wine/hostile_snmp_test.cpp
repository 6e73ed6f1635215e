// The shipped SNMP module, and the plug-in that calls it, against an agent that talks
// nonsense, answers late or not at all: a small UDP responder on a loopback port of its own,
// run by the test, stands in for the printer. Runs in bin\, where CVLN.DLL lies beside
// CVLU.DLL and reads its settings file CVLN.INI.
// Winsock 2 must come before windows.h, which would otherwise bring in Winsock 1.
#include <winsock2.h>
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
// clang-format on

#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model_install.h"
#include "plugin_host.h"
#include "sheet_host.h"
#include "snmp_module_host.h"
#include "tree_host.h"
#include "wine_test_support.h"

namespace {

using Datagram = std::vector<std::uint8_t>;

// Trays, hard disk, duplex unit, finisher, memory and output bin: what the TALEN sample asks.
constexpr std::uint32_t kAskAll = 0x001 | 0x002 | 0x004 | 0x020 | 0x100 | 0x200;
// The module's questions for kAskAll: one GET and five walks that end at their first answer
// when the agent names no row.
constexpr long kQuestions = 6;

// --- Taking a request apart ------------------------------------------------------------------

// Reads a BER length at `at`; npos when it runs past the message.
std::size_t Length(const Datagram& m, std::size_t& at) {
    if (at >= m.size()) return std::string::npos;
    const std::uint8_t first = m[at++];
    if (first < 0x80) return first;
    std::size_t length = 0;
    for (int n = first & 0x7F; n > 0; --n) {
        if (at >= m.size()) return std::string::npos;
        length = (length << 8) | m[at++];
    }
    return length;
}

// Where the parts of a request lie: Message ::= SEQUENCE { version, community, PDU }, and
// the PDU's first field is the request id.
struct Layout {
    std::size_t version = std::string::npos;    // the version's value byte
    std::size_t community = std::string::npos;  // the community's first byte
    std::size_t pdu = std::string::npos;        // the PDU's tag
    std::size_t requestId = std::string::npos;  // the request id's last byte
};

Layout LayoutOf(const Datagram& m) {
    Layout layout;
    std::size_t at = 1;
    if (m.empty() || m[0] != 0x30 || Length(m, at) == std::string::npos) return layout;
    std::size_t element[2] = {};
    for (std::size_t& start : element) {
        ++at;  // the tag
        const std::size_t length = Length(m, at);
        if (length == std::string::npos || at + length > m.size()) return {};
        start = at;
        at += length;
    }
    if (at >= m.size()) return {};
    const std::size_t pdu = at++;
    if (Length(m, at) == std::string::npos || at + 2 >= m.size() || m[at] != 0x02) return {};
    ++at;
    const std::size_t idLength = Length(m, at);
    if (idLength == 0 || idLength == std::string::npos || at + idLength > m.size()) return {};
    return {element[0], element[1], pdu, at + idLength - 1};
}

// The answer an agent without any of the asked objects gives: the request sent back as a
// response. Its NULL value is no number, and each walk ends at once, since the name it
// names is the column itself.
Datagram EchoAnswer(const Datagram& request) {
    Datagram answer = request;
    const Layout layout = LayoutOf(answer);
    if (layout.pdu != std::string::npos) answer[layout.pdu] = 0xA2;
    return answer;
}

// --- The responder ---------------------------------------------------------------------------

struct Reply {
    Datagram bytes;
    bool fromOtherPort = false;  // sent from a second socket of the responder
};
using Answerer = std::function<std::vector<Reply>(const Datagram& request)>;

// A UDP agent on 127.0.0.1 at a port of its own: a thread that takes each datagram and,
// after `delayMs`, sends what `answer` makes of it. It counts the requests it received.
class Responder {
  public:
    explicit Responder(Answerer answer, DWORD delayMs = 0)
        : answer_(std::move(answer)), delayMs_(delayMs) {
        WSADATA data = {};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!started_) return;
        socket_ = Bound();
        other_ = Bound();
        sockaddr_in address = {};
        int bytes = sizeof address;
        if (socket_ == INVALID_SOCKET || other_ == INVALID_SOCKET ||
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &bytes) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    ~Responder() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        for (SOCKET s : {socket_, other_}) {
            if (s != INVALID_SOCKET) closesocket(s);
        }
        if (started_) WSACleanup();
    }

    unsigned port() const { return port_; }
    // The requests received once `expected` have come or 2 s have passed: the last request
    // of a call may still be on its way to the responder's thread when the call returns.
    long RequestsOnceThere(long expected) const {
        for (int i = 0; i < 100 && requests_ < expected; ++i) Sleep(20);
        return requests_;
    }

  private:
    static SOCKET Bound() {
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return s;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            closesocket(s);
            return INVALID_SOCKET;
        }
        return s;
    }

    // Each request's replies are due `delayMs` after it came, whatever else is waiting.
    void Serve() {
        struct Due {
            ULONGLONG at;
            std::vector<Reply> replies;
            sockaddr_in to;
        };
        std::vector<Due> pending;
        std::vector<char> buffer(65536);
        while (!stop_) {
            const ULONGLONG now = GetTickCount64();
            ULONGLONG waitMs = 20;
            for (auto due = pending.begin(); due != pending.end();) {
                if (due->at > now) {
                    waitMs = std::min(waitMs, due->at - now);
                    ++due;
                    continue;
                }
                for (const Reply& reply : due->replies) {
                    sendto(reply.fromOtherPort ? other_ : socket_,
                           reinterpret_cast<const char*>(reply.bytes.data()),
                           static_cast<int>(reply.bytes.size()), 0,
                           reinterpret_cast<const sockaddr*>(&due->to), sizeof due->to);
                }
                due = pending.erase(due);
            }
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval wait = {0, static_cast<long>(waitMs * 1000)};
            if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
            sockaddr_in from = {};
            int fromBytes = sizeof from;
            const int got = recvfrom(socket_, buffer.data(), static_cast<int>(buffer.size()), 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromBytes);
            if (got < 0) continue;
            ++requests_;
            pending.push_back({GetTickCount64() + delayMs_,
                               answer_(Datagram(buffer.begin(), buffer.begin() + got)), from});
        }
    }

    Answerer answer_;
    DWORD delayMs_;
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET other_ = INVALID_SOCKET;
    unsigned port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long> requests_{0};
    std::thread thread_;
};

// --- Nonsense --------------------------------------------------------------------------------

struct Nonsense {
    const char* name;
    std::function<Reply(const Datagram& request)> make;
};

Datagram Changed(Datagram m, std::size_t at, std::uint8_t value) {
    if (at < m.size()) m[at] = value;
    return m;
}

// Answers an agent should never give, each made from the request it answers. (Every cut and
// nesting of an answer is the native codec tests'; these are what only a socket brings.)
const std::vector<Nonsense>& EveryNonsense() {
    static const std::vector<Nonsense> kinds = {
        {"random bytes",
         [](const Datagram&) {
             Datagram bytes(48);
             std::uint32_t seed = 0x2545F491;
             for (std::uint8_t& b : bytes) {
                 seed = seed * 1103515245u + 12345u;
                 b = static_cast<std::uint8_t>(seed >> 16);
             }
             return Reply{bytes};
         }},
        {"an empty datagram", [](const Datagram&) { return Reply{}; }},
        {"the request itself", [](const Datagram& r) { return Reply{r}; }},
        {"a length of two gigabytes",
         [](const Datagram& r) {
             Datagram a = EchoAnswer(r);
             std::size_t at = 1;
             Length(a, at);
             Datagram huge = {0x30, 0x84, 0x7F, 0xFF, 0xFF, 0xFF};
             huge.insert(huge.end(), a.begin() + static_cast<std::ptrdiff_t>(at), a.end());
             return Reply{huge};
         }},
        {"another request id",
         [](const Datagram& r) {
             const Datagram a = EchoAnswer(r);
             const std::size_t at = LayoutOf(a).requestId;
             return Reply{Changed(a, at, static_cast<std::uint8_t>(a[at] ^ 0x01))};
         }},
        {"another community",
         [](const Datagram& r) {
             const Datagram a = EchoAnswer(r);
             return Reply{Changed(a, LayoutOf(a).community, 'P')};
         }},
        {"SNMP version 3",
         [](const Datagram& r) {
             const Datagram a = EchoAnswer(r);
             return Reply{Changed(a, LayoutOf(a).version, 3)};
         }},
        {"a datagram above 4 KB",
         [](const Datagram& r) {
             Datagram a = EchoAnswer(r);
             a.resize(5000, 0);
             return Reply{a};
         }},
        {"the answer from another port",
         [](const Datagram& r) {
             return Reply{EchoAnswer(r), true};
         }},
    };
    return kinds;
}

// --- The tests ---------------------------------------------------------------------------

using winetest::ProgramFolder;

long Milliseconds(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - since)
                                 .count());
}

class HostileSnmpAgent : public ::testing::Test {
  protected:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(hostsim::InstallNetworkPrinter(L"public", &error))
            << std::string(error.begin(), error.end());
    }
    void TearDown() override { DeleteFileW(settings.c_str()); }

    void Settings(unsigned port, const std::string& lines) {
        ASSERT_TRUE(hostsim::WriteSnmpSettings(settings, port, lines));
    }
    // The module called as the plug-in calls it for the sample model on the network port.
    unsigned short Call(hostsim::AutoConfigBlock& block) {
        hostsim::SnmpModule module;
        EXPECT_TRUE(module.Load(ProgramFolder() + L"CVLN.DLL"));
        return module.Call("CVL_NET_1", block);
    }

    const std::wstring settings = ProgramFolder() + L"CVLN.INI";
    const hostsim::AutoConfigBlock asked = hostsim::RequestBlock(kAskAll, 5);
};

TEST_F(HostileSnmpAgent, NonsenseIsNeverTakenForAnAnswer) {
    // Alone, nonsense is no answer: one SNMPv2c and one SNMPv1 request go unanswered and the
    // block stays as it was asked.
    for (const Nonsense& nonsense : EveryNonsense()) {
        Responder agent(
            [&](const Datagram& request) { return std::vector<Reply>{nonsense.make(request)}; });
        ASSERT_NE(0u, agent.port());
        Settings(agent.port(), "TimeoutMs=50\r\nRetries=0\r\n");
        hostsim::AutoConfigBlock block = asked;
        EXPECT_EQ(0, Call(block)) << nonsense.name;
        EXPECT_EQ(asked, block) << nonsense.name;
        EXPECT_EQ(2, agent.RequestsOnceThere(2)) << nonsense.name;
    }
    // Before the real answer, nonsense spoils nothing: every asked fact is read (the agent
    // has none of the objects, so each is 0) with one request per question.
    for (const Nonsense& nonsense : EveryNonsense()) {
        Responder agent([&](const Datagram& request) {
            return std::vector<Reply>{nonsense.make(request), Reply{EchoAnswer(request)}};
        });
        Settings(agent.port(), "TimeoutMs=2000\r\nRetries=0\r\n");
        hostsim::AutoConfigBlock block = asked;
        EXPECT_EQ(1, Call(block)) << nonsense.name;
        for (std::size_t offset : {4, 6, 8, 16, 22, 24}) {
            EXPECT_EQ(0, hostsim::BlockField(block, offset)) << nonsense.name << ", " << offset;
        }
        EXPECT_EQ(-1, hostsim::BlockField(block, 12)) << nonsense.name << ": not asked";
        EXPECT_EQ(kQuestions, agent.RequestsOnceThere(kQuestions)) << nonsense.name;
    }
}

TEST_F(HostileSnmpAgent, SilenceAndLateAnswersFollowTheRetrySchedule) {
    // Silence: each version is asked Retries + 1 times, then the call gives up.
    {
        Responder silent([](const Datagram&) { return std::vector<Reply>{}; });
        Settings(silent.port(), "TimeoutMs=60\r\nRetries=2\r\n");
        hostsim::AutoConfigBlock block = asked;
        EXPECT_EQ(0, Call(block));
        EXPECT_EQ(asked, block);
        EXPECT_EQ(6, silent.RequestsOnceThere(6)) << "three SNMPv2c, then three SNMPv1 requests";
    }
    // Each answer comes after its request's first wait is over, while the retry waits: the
    // late answer to the first attempt counts.
    {
        Responder late(
            [](const Datagram& request) { return std::vector<Reply>{{EchoAnswer(request)}}; }, 300);
        Settings(late.port(), "TimeoutMs=200\r\nRetries=1\r\n");
        hostsim::AutoConfigBlock block = asked;
        EXPECT_EQ(1, Call(block));
        EXPECT_EQ(0, hostsim::BlockField(block, 22));
        EXPECT_GE(late.RequestsOnceThere(kQuestions), kQuestions);
    }
}

// Through the plug-in: the TALEN sample's printer tree on the network port, whose items the
// host shows with trays, disk and bin installed and 512 MB.
TEST_F(HostileSnmpAgent, ThePrinterTreeKeepsItsItemsWhenTheAgentTalksNonsenseOrIsTooSlow) {
    const hostsim::ModelSpec& model = hostsim::NetworkPrinter();
    hostsim::OpenedPrinter printer(model.printerName);
    ASSERT_TRUE(printer);
    const long stored = 7;
    for (const wchar_t* name : {L"HDD_SETTING", L"CURRENT_MEMORY"}) {
        ASSERT_EQ(0u, winetest::SetPrinterDword(printer.get(), name, stored));
    }
    hostsim::PluginLibrary library;
    ASSERT_TRUE(library.Load());
    host::IPrintOemUI* plugIn = library.CreatePlugIn();
    ASSERT_NE(nullptr, plugIn);
    hostsim::HostDriverUI driver;
    plugIn->PublishDriverInterface(&driver);

    const char* const kItems[] = {"Option1", "Option2", "Option4", "OptOutputBin",
                                  "InstalledMemory"};
    // Builds the tree; the items' selections afterwards, and the time the build took.
    auto build = [&](std::vector<long>* selections) {
        hostsim::SheetHost sheet(plugIn, printer.get(), model.printerName, false);
        EXPECT_EQ(host::kSOk, sheet.Initialise());
        host::OEMUIOBJ uiObject = {};
        hostsim::DocumentTreeHost tree(plugIn, sheet, &uiObject,
                                       hostsim::DocumentTreeHost::Kind::kPrinter);
        for (const char* keyword : kItems) tree.Item(keyword)->Sel = 1;
        tree.Item("InstalledMemory")->Sel = 2;  // 512 MB
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(host::kSOk, tree.Build());
        const long ms = Milliseconds(start);
        selections->clear();
        for (const char* keyword : kItems) selections->push_back(tree.Item(keyword)->Sel);
        sheet.Destroy();
        return ms;
    };
    const std::vector<long> shown = {1, 1, 1, 1, 2};
    std::vector<long> selections;

    // An agent without the objects: the module succeeds, every unit reads as absent (the
    // memory item has no "0 MB" option and keeps its selection).
    {
        Responder empty(
            [](const Datagram& request) { return std::vector<Reply>{{EchoAnswer(request)}}; });
        Settings(empty.port(), "TimeoutMs=2000\r\n");
        build(&selections);
        EXPECT_EQ((std::vector<long>{0, 0, 0, 0, 2}), selections);
        EXPECT_EQ(0, winetest::PrinterDword(printer.get(), L"HDD_SETTING"));
        EXPECT_EQ(kQuestions, empty.RequestsOnceThere(kQuestions));
    }
    ASSERT_EQ(0u, winetest::SetPrinterDword(printer.get(), L"HDD_SETTING", stored));
    const int gdiBefore = hostsim::GdiObjectsAlive();
    const int handlesBefore = hostsim::HandlesOpen();
    {
        Responder nonsense([](const Datagram& request) {
            return std::vector<Reply>{EveryNonsense().front().make(request)};
        });
        Settings(nonsense.port(), "TimeoutMs=100\r\nRetries=0\r\n");
        build(&selections);
        EXPECT_EQ(shown, selections) << "nonsense changes no item";
        EXPECT_EQ(2, nonsense.RequestsOnceThere(2));
    }
    {
        // Each answer takes 700 ms: the six questions would need 4.2 s, more than the 3 s
        // the settings page waits for the module.
        Responder slow(
            [](const Datagram& request) { return std::vector<Reply>{{EchoAnswer(request)}}; }, 700);
        Settings(slow.port(), "");
        const long ms = build(&selections);
        EXPECT_EQ(shown, selections) << "half the facts are never applied";
        EXPECT_GE(slow.RequestsOnceThere(4), 4);
        std::printf("a slow agent: the printer tree built after %ld ms\n", ms);
    }
    EXPECT_EQ(stored, winetest::PrinterDword(printer.get(), L"HDD_SETTING"));
    EXPECT_EQ(stored, winetest::PrinterDword(printer.get(), L"CURRENT_MEMORY"));
    EXPECT_EQ(gdiBefore, hostsim::GdiObjectsAlive());
    EXPECT_EQ(handlesBefore, hostsim::HandlesOpen()) << "the module's sockets are closed";
    plugIn->Release();
}

}  // namespace
