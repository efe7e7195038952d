// Runs of per-mail commands against the fake server: one at a time they are exactly the
// one-at-a-time dialogue; pipelined, they leave ahead of their replies within both windows,
// replies that arrive together are told apart, and a cancel or a silent server leaves a
// connection that QUIT can still end (or none at all).
#include "engine/CommandRun.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using test::FakePop3Server;
using test::FakeReply;
using test::ManualMonotonicClock;

class CommandRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<test::FakeMessage> messages;
        for (int i = 1; i <= 20; ++i) {
            messages.push_back(
                {"UID" + std::to_string(i), "Subject: " + std::to_string(i) + "\r\n\r\nbody\r\n"});
        }
        server.SetMessages(messages);
        socket.m_nTimeout = 10;
        socket.SetTimeSource(&clock);
        std::string greeting;
        ASSERT_EQ(socket.ConnectServer("127.0.0.1", server.Port(), greeting), POP3_OK);
        ASSERT_EQ(socket.CmdUser("taro", greeting), POP3_OK);
        ASSERT_EQ(socket.CmdPass("secret", greeting), POP3_OK);
        server.ClearCommands();
    }

    // LIST 1 ... LIST count added to run; each reply read must be its own.
    void ListAll(CCommandRun& run, unsigned count) {
        for (unsigned n = 1; n <= count; ++n) {
            run.Add(CPop3Socket::NumberCommand("LIST ", n), false);
        }
        std::string reply;
        for (unsigned n = 1; n <= count; ++n) {
            ASSERT_EQ(run.Next(reply), POP3_OK);
            EXPECT_EQ(reply.rfind("+OK " + std::to_string(n) + " ", 0), 0u) << reply;
        }
    }

    ManualMonotonicClock clock{1500};
    FakePop3Server server;
    CPop3Socket socket;
};

TEST_F(CommandRunTest, OneAtATimeIsTheOneAtATimeDialogue) {
    CCommandRun run(socket, false);
    ListAll(run, 3);
    EXPECT_EQ(server.Received(), "LIST 1\r\nLIST 2\r\nLIST 3\r\n");
    EXPECT_EQ(server.MaxCommandsAhead(), 1u);
}

struct WindowCase {
    const char* name;
    size_t commands;
    size_t bytes;
    size_t mostAhead; // "LIST n\r\n" is 8 bytes, "LIST nn\r\n" 9
};

class CommandRunWindows : public CommandRunTest,
                          public ::testing::WithParamInterface<WindowCase> {};

TEST_P(CommandRunWindows, CommandsLeaveAheadWithinTheWindow) {
    CCommandRun run(socket, true, GetParam().commands, GetParam().bytes);
    ListAll(run, 20);
    std::string expected;
    for (int n = 1; n <= 20; ++n) {
        expected += "LIST " + std::to_string(n) + "\r\n";
    }
    EXPECT_EQ(server.Received(), expected);
    EXPECT_GT(server.MaxCommandsAhead(), 1u); // sent before the replies before them
    EXPECT_LE(server.MaxCommandsAhead(), GetParam().mostAhead);
    EXPECT_EQ(socket.Owed(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Windows, CommandRunWindows,
                         ::testing::Values(WindowCase{"Commands", 4, 2048, 4},
                                           WindowCase{"Bytes", 64, 26, 3},
                                           WindowCase{"Named", CCommandRun::kWindowCommands,
                                                      CCommandRun::kWindowBytes, 20}),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

// A server that answers two commands in one write, and splits a listing's terminator
// across writes: each reply is still its own, byte for byte.
TEST_F(CommandRunTest, RepliesThatArriveTogetherAreToldApart) {
    server.Script("TOP 1", FakeReply::Text("+OK\r\nSubject: 1\r\n\r\n.\r\n+OK 1 26\r\n-ERR no"));
    server.Script("LIST 1", FakeReply::Text(""));
    server.Script("UIDL 1", FakeReply::Text(" id\r\n+OK\r\n1 UID1\r\n.\r"));
    server.Script("UIDL", FakeReply::Text("").Then("\n", 0ms));
    CCommandRun run(socket, true);
    run.Add(CPop3Socket::TopCommand(1, 0), true);
    run.Add(CPop3Socket::NumberCommand("LIST ", 1), false);
    run.Add(CPop3Socket::NumberCommand("UIDL ", 1), false);
    run.Add("UIDL\r\n", true);
    std::string reply;
    EXPECT_EQ(run.Next(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\nSubject: 1\r\n\r\n.\r\n");
    EXPECT_EQ(run.Next(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK 1 26\r\n");
    EXPECT_EQ(run.Next(reply), POP3_NEGATIVE);
    EXPECT_EQ(reply, "-ERR no id\r\n");
    EXPECT_EQ(run.Next(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\n1 UID1\r\n.\r\n");
    // And the one-at-a-time command after them reads its own reply.
    EXPECT_EQ(socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(reply.rfind("+OK 20 ", 0), 0u);
}

// A cancel stops the sending at once; QUIT then reads what was in flight first.
TEST_F(CommandRunTest, CancelSendsNothingMoreAndQuitStillWorks) {
    CCommandRun run(socket, true, 4, 2048);
    for (unsigned n = 1; n <= 20; ++n) {
        run.Add(CPop3Socket::NumberCommand("LIST ", n), false);
    }
    std::string reply;
    ASSERT_EQ(run.Next(reply), POP3_OK);
    socket.RequestCancel();
    EXPECT_EQ(run.Next(reply), POP3_CANCELLED);
    EXPECT_EQ(run.Next(reply), POP3_CANCELLED);
    EXPECT_EQ(socket.Owed(), 3u);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK bye\r\n");
    EXPECT_EQ(server.Received(), "LIST 1\r\nLIST 2\r\nLIST 3\r\nLIST 4\r\nQUIT\r\n");
}

// The server stops answering in the middle: the read times out and the connection is
// dropped, so QUIT fails at once rather than read a stale reply as its own.
TEST_F(CommandRunTest, SilenceDropsTheConnection) {
    server.Script("LIST 2", FakeReply::Silence());
    CCommandRun run(socket, true);
    for (unsigned n = 1; n <= 3; ++n) {
        run.Add(CPop3Socket::NumberCommand("LIST ", n), false);
    }
    std::string reply;
    ASSERT_EQ(run.Next(reply), POP3_OK);
    const size_t before = clock.Sleeps();
    auto second = std::async(std::launch::async, [&] { return run.Next(reply); });
    ASSERT_TRUE(clock.WaitForSleeps(before + 1));
    clock.Advance(11000);
    EXPECT_EQ(second.get(), POP3_TIMEOUT);
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_EQ(run.Next(reply), POP3_ERROR);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_ERROR);
}

// A CAPA that times out may still be answered: the connection is not used again, so that
// the late reply is never taken for the next command's.
TEST_F(CommandRunTest, CapaThatTimesOutEndsTheConnection) {
    server.Script("CAPA", FakeReply::Silence());
    std::string reply;
    const size_t before = clock.Sleeps();
    auto capa = std::async(std::launch::async, [&] { return socket.CmdCapa(reply); });
    ASSERT_TRUE(clock.WaitForSleeps(before + 1));
    clock.Advance(11000);
    ASSERT_EQ(capa.get(), POP3_TIMEOUT);
    EXPECT_FALSE(socket.IsConnected());
    server.Send("+OK\r\nPIPELINING\r\n.\r\n");
    EXPECT_EQ(socket.CmdStat(reply), POP3_ERROR);
    EXPECT_EQ(reply, "");
}

} // namespace
} // namespace tolvane
