// The command line: which switch counts, and that only a switch ending the line does.

#include <gtest/gtest.h>

#include "server/CommandLine.h"

using qx::CommandLineAction;
using qx::ScanCommandLine;

TEST(CommandLine, SwitchesCountOnlyAtTheEndOfTheLine) {
    EXPECT_EQ(ScanCommandLine("/RegServer"), CommandLineAction::RegServer);
    EXPECT_EQ(ScanCommandLine("-regserver"), CommandLineAction::RegServer);
    EXPECT_EQ(ScanCommandLine("-unregserver"), CommandLineAction::UnregServer);
    EXPECT_EQ(ScanCommandLine("/UNREGSERVER"), CommandLineAction::UnregServer);
    EXPECT_EQ(ScanCommandLine("x /RegServer"), CommandLineAction::RegServer)
        << "the switch ends the line";
    EXPECT_EQ(ScanCommandLine("/RegServer x"), CommandLineAction::RunServer)
        << "something follows it";
    EXPECT_EQ(ScanCommandLine("/RegServer /UnregServer"), CommandLineAction::UnregServer)
        << "only the last token runs to the end of the line";
    EXPECT_EQ(ScanCommandLine("-Embedding"), CommandLineAction::RunServer);
    EXPECT_EQ(ScanCommandLine(""), CommandLineAction::RunServer);
    EXPECT_EQ(ScanCommandLine("RegServer"), CommandLineAction::RunServer) << "no separator";
    EXPECT_EQ(ScanCommandLine("--RegServer"), CommandLineAction::RegServer)
        << "\"-RegServer\" does not match, but the scan goes on after the separator";
    EXPECT_EQ(ScanCommandLine("/-RegServer"), CommandLineAction::RegServer)
        << "the scan goes on after a separator";
    EXPECT_EQ(ScanCommandLine("/RegServer "), CommandLineAction::RunServer)
        << "a trailing blank is part of the token";
    EXPECT_EQ(ScanCommandLine("Zürich/UnregServer"), CommandLineAction::UnregServer);
}

TEST(CommandLine, ArgumentsAreJoinedByOneBlank) {
    const char* argv[] = {"AL1MISvr", "/RegServer", "x"};
    EXPECT_EQ(qx::JoinCommandLine(3, argv), "/RegServer x");
    EXPECT_EQ(qx::JoinCommandLine(1, argv), "");
    EXPECT_EQ(ScanCommandLine(qx::JoinCommandLine(2, argv)), CommandLineAction::RegServer);
}
