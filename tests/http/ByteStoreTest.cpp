// SPDX-License-Identifier: GPL-3.0-or-later
// The byte stores under the transport: the receive buffer's queue, the memory
// stream and the file stream (real files in a temporary directory).

#include "http/IdBuffer.h"
#include "http/IdFileStream.h"
#include "http/IdMemoryStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <system_error>

namespace {

TEST(ReceiveQueue, MatchesAPlainStringUnderAnyMixOfAppendsAndTakes) {
    // Appends and takes of random sizes, with line searches from a moving
    // offset, against the obvious model: reclaiming space in front must
    // never lose or reorder a byte.
    std::mt19937 random(7);
    TIdBuffer buffer;
    std::string model;
    std::size_t produced = 0;
    for (int step = 0; step < 20000; ++step) {
        if (random() % 2) {
            std::string bytes(random() % 5000, 0);
            for (char& c : bytes)
                c = (produced++ % 97) == 0 ? '\n' : char('a' + produced % 26);
            if (random() % 2) {
                buffer.Append(bytes.data(), bytes.size());
            } else {
                char* room = buffer.Prepare(bytes.size() + 100);
                std::copy(bytes.begin(), bytes.end(), room);
                buffer.Commit(bytes.size());
            }
            model += bytes;
        } else {
            const std::size_t count = random() % 7000;
            ASSERT_EQ(buffer.Extract(count), model.substr(0, count));
            model.erase(0, std::min(count, model.size()));
        }
        ASSERT_EQ(buffer.Size(), model.size());
        ASSERT_EQ(buffer.View(), model);
        const std::size_t from = model.empty() ? 0 : random() % model.size();
        ASSERT_EQ(buffer.IndexOf('\n', from), model.find('\n', from));
    }
}

TEST(ReceiveQueue, ExtractToWritesIntoTheSinkAndConsumes) {
    TIdBuffer buffer;
    buffer.Append("abcdef", 6);
    TIdMemoryStream sink;
    buffer.ExtractTo(4, sink);
    EXPECT_EQ(sink.DataString(), "abcd");
    EXPECT_EQ(buffer.View(), "ef");
    buffer.Remove(10);
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(buffer.IndexOf('e', 0), std::string::npos);
}

TEST(MemoryStream, WritesAtThePositionAndGrows) {
    TIdMemoryStream stream(std::string("0123456789"));
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Position(), 0);
    stream.Seek(8, TSeekOrigin::soBeginning);
    stream.Write("abcd", 4);
    EXPECT_EQ(stream.DataString(), "01234567abcd");
    EXPECT_EQ(stream.Seek(-3, TSeekOrigin::soEnd), 9);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, sizeof out), 3u);
    EXPECT_EQ(std::string(out, 3), "bcd");
    EXPECT_EQ(stream.Read(out, sizeof out), 0u);
    stream.SetSize(4);
    EXPECT_EQ(stream.DataString(), "0123");
    EXPECT_EQ(stream.Position(), 4);
}

TEST(FileStream, CreatesWritesSeeksAndCutsARealFile) {
    TempDir dir;
    {
        TIdFileStream file(dir.File("f.bin"), TIdFileMode::fmCreate);
        EXPECT_EQ(file.Write("hello world", 11), 11u);
        EXPECT_EQ(file.Size(), 11);
        file.SetSize(5);
        EXPECT_EQ(file.Seek(0, TSeekOrigin::soEnd), 5);
        file.Write("!", 1);
        file.Seek(0, TSeekOrigin::soBeginning);
        char out[16] = {};
        EXPECT_EQ(file.Read(out, sizeof out), 6u);
        EXPECT_EQ(std::string(out, 6), "hello!");
    }
    EXPECT_EQ(dir.Read("f.bin"), "hello!");
    {
        TIdFileStream file(dir.File("f.bin"), TIdFileMode::fmCreate);  // truncates
    }
    EXPECT_EQ(dir.Read("f.bin"), "");
}

TEST(FileStream, OpeningWhatIsNotThereFailsWithTheErrno) {
    TempDir dir;
    try {
        TIdFileStream file(dir.File("missing/f.bin"), TIdFileMode::fmCreate);
        FAIL() << "opened";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
        EXPECT_NE(std::string(e.what()).find("missing/f.bin"), std::string::npos);
    }
    EXPECT_THROW(TIdFileStream(dir.File("none"), TIdFileMode::fmOpenRead), std::system_error);
}

}  // namespace
