#include "frame_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_frames.h"

namespace kovo::devsim::test {
namespace {

struct AssemblyCase {
  std::string name;
  std::vector<Bytes> chunks;
  std::vector<Bytes> expectedFrames;
};

std::vector<Bytes> assemble(const std::vector<Bytes>& chunks) {
  FrameAssembler assembler;
  std::vector<Bytes> frames;
  for (const Bytes& chunk : chunks) {
    for (const std::uint8_t byte : chunk) {
      if (auto frame = assembler.push(byte)) frames.push_back(frame->bytes);
    }
  }
  return frames;
}

std::vector<Bytes> oneBytePerChunk(const Bytes& bytes) {
  std::vector<Bytes> chunks;
  for (const std::uint8_t byte : bytes) chunks.push_back({byte});
  return chunks;
}

const Bytes kStart = shortFrame(0x21);
const Bytes kDataFullOfFF = dataFrame(0x12, 0x30, Bytes(16, 0xFF));

class FrameAssemblerTest : public testing::TestWithParam<AssemblyCase> {};

TEST_P(FrameAssemblerTest, CutsStreamIntoFrames) { EXPECT_EQ(assemble(GetParam().chunks), GetParam().expectedFrames); }

INSTANTIATE_TEST_SUITE_P(
    Streams, FrameAssemblerTest,
    testing::Values(AssemblyCase{"Identification", {identifyRequest()}, {identifyRequest()}},
                    AssemblyCase{"ShortFrame", {kStart}, {kStart}},
                    AssemblyCase{"StartBytesInsidePayload", {kDataFullOfFF}, {kDataFullOfFF}},
                    AssemblyCase{"SplitAfterCommand",
                                 {Bytes(kDataFullOfFF.begin(), kDataFullOfFF.begin() + 3),
                                  Bytes(kDataFullOfFF.begin() + 3, kDataFullOfFF.end())},
                                 {kDataFullOfFF}},
                    AssemblyCase{"OneBytePerRead", oneBytePerChunk(kDataFullOfFF), {kDataFullOfFF}},
                    AssemblyCase{"BackToBack", {concat(identifyRequest(), kStart)}, {identifyRequest(), kStart}},
                    AssemblyCase{"NoiseBeforeFrame", {{0x00, 0x12, 0xFE}, kStart}, {kStart}},
                    AssemblyCase{"RepeatedStartByte", {concat({0xFF}, kStart)}, {kStart}},
                    AssemblyCase{"ImpossibleLengthsDropped", {{0xFF, 0x00, 0xFF, 0x15}, kStart}, {kStart}},
                    AssemblyCase{"BadCheckStillFramed", {{0xFF, 0x02, 0x21, 0x24}}, {{0xFF, 0x02, 0x21, 0x24}}},
                    AssemblyCase{"IncompleteFrameHeldBack", {{0xFF, 0x02, 0x21}}, {}},
                    AssemblyCase{"IncompleteFrameCompletedLater", {{0xFF, 0x02}, {0x21}, {0x23}}, {kStart}}),
    [](const testing::TestParamInfo<AssemblyCase>& info) { return info.param.name; });

} // namespace
} // namespace kovo::devsim::test
