#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ConsoleSink.h"

namespace karvola::cli {
namespace {

// The optimizer writes its report from its own thread while the user types:
// lines must stay whole and keep their order per thread.
TEST(ConsoleSink, LinesFromTwoThreadsStayWholeAndOrdered) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    constexpr int kLinesPerThread = 3000;
    {
        ConsoleSink sink(stream);
        const auto writer = [&sink](char name) {
            for (int i = 0; i < kLinesPerThread; ++i) {
                sink.appendLine(std::string(1, name) + "-" + std::to_string(i) + std::string(40, name));
            }
        };
        std::thread first(writer, 'A');
        std::thread second(writer, 'B');
        first.join();
        second.join();
    }
    std::rewind(stream);
    int next[2] = {0, 0};
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stream) != nullptr) {
        const std::string line(buffer);
        ASSERT_TRUE(line[0] == 'A' || line[0] == 'B') << line;
        const int index = line[0] - 'A';
        const std::string expected =
            std::string(1, line[0]) + "-" + std::to_string(next[index]++) + std::string(40, line[0]) + "\n";
        ASSERT_EQ(line, expected);
    }
    EXPECT_EQ(next[0], kLinesPerThread);
    EXPECT_EQ(next[1], kLinesPerThread);
    std::fclose(stream);
}

}  // namespace
}  // namespace karvola::cli
