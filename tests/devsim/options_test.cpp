#include "options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kovo::devsim::test {
namespace {

using Arguments = std::vector<std::string>;

bool sameSelector(const std::optional<FrameSelector>& actual, const FrameSelector& expected) {
  return actual && actual->code == expected.code && actual->page == expected.page && actual->block == expected.block;
}

bool sameResize(const std::optional<ResizeFault>& actual, const FrameSelector& selector, std::size_t count) {
  return actual && sameSelector(actual->selector, selector) && actual->count == count;
}

TEST(OptionsTest, DefaultsToType71Version23AndNoFaults) {
  const Options options = parseOptions(Arguments{});
  EXPECT_EQ(options.device.identity.type, 0x71);
  EXPECT_EQ(options.device.identity.versionMajor, 2);
  EXPECT_EQ(options.device.identity.versionMinor, 3);
  EXPECT_EQ(options.device.silentIdentifications, 0u);
  EXPECT_FALSE(options.device.silentAfterFrames || options.device.closeAfterFrames);
  EXPECT_FALSE(options.device.replyFaults.wrongCode || options.device.replyFaults.wrongCheck ||
               options.device.replyFaults.extraBytes || options.device.replyFaults.missingBytes ||
               options.device.replyFaults.lateReply || options.wrongEcho);
  EXPECT_FALSE(options.paced || options.exitOnStdinEof || options.helpRequested);
  EXPECT_EQ(options.replyDelay.count(), 0);
  EXPECT_FALSE(options.memoryOut || options.logPath);
}

struct ValidCase {
  std::string name;
  Arguments arguments;
  std::function<bool(const Options&)> holds;
};

class ValidOptionsTest : public testing::TestWithParam<ValidCase> {};

TEST_P(ValidOptionsTest, SetsWhatTheOptionSays) { EXPECT_TRUE(GetParam().holds(parseOptions(GetParam().arguments))); }

INSTANTIATE_TEST_SUITE_P(
    Options, ValidOptionsTest,
    testing::Values(
        ValidCase{"TypeHex", {"--type", "5a"}, [](const Options& o) { return o.device.identity.type == 0x5A; }},
        ValidCase{"TypeWithPrefixAndEquals",
                  {"--type=0x08"},
                  [](const Options& o) { return o.device.identity.type == 0x08; }},
        ValidCase{"Version",
                  {"--bootloader-version", "10.255"},
                  [](const Options& o) {
                    return o.device.identity.versionMajor == 10 && o.device.identity.versionMinor == 255;
                  }},
        ValidCase{
            "SilentIds", {"--silent-ids", "3"}, [](const Options& o) { return o.device.silentIdentifications == 3; }},
        ValidCase{"Paced", {"--paced"}, [](const Options& o) { return o.paced; }},
        ValidCase{"ReplyDelay", {"--reply-delay", "250"}, [](const Options& o) { return o.replyDelay.count() == 250; }},
        ValidCase{"SilentAfterZeroFrames",
                  {"--silent-after-frames", "0"},
                  [](const Options& o) { return o.device.silentAfterFrames == 0u; }},
        ValidCase{"CloseAfterFrames",
                  {"--close-after-frames", "4"},
                  [](const Options& o) { return o.device.closeAfterFrames == 4u; }},
        ValidCase{"WrongCodeFullSelector",
                  {"--wrong-code", "0A:3:1"},
                  [](const Options& o) {
                    return sameSelector(o.device.replyFaults.wrongCode, {0x0A, 3, 1});
                  }},
        ValidCase{"WrongCheckCommandOnly",
                  {"--wrong-check", "21"},
                  [](const Options& o) {
                    return sameSelector(o.device.replyFaults.wrongCheck, {0x21, {}, {}});
                  }},
        ValidCase{"ExtraBytesWithPage",
                  {"--extra-bytes", "08:3:2"},
                  [](const Options& o) {
                    return sameResize(o.device.replyFaults.extraBytes, {0x08, 3, {}}, 2);
                  }},
        ValidCase{"MissingBytesWithBlock",
                  {"--missing-bytes", "0A:4:1:4"},
                  [](const Options& o) {
                    return sameResize(o.device.replyFaults.missingBytes, {0x0A, 4, 1}, 4);
                  }},
        ValidCase{"LateReplyWithPage",
                  {"--late-reply", "08:63:750"},
                  [](const Options& o) {
                    const auto& late = o.device.replyFaults.lateReply;
                    return late && sameSelector(late->selector, {0x08, 63, {}}) && late->delay.count() == 750;
                  }},
        ValidCase{"WrongEchoOnIdentification",
                  {"--wrong-echo", "01"},
                  [](const Options& o) {
                    return sameSelector(o.wrongEcho, {0x01, {}, {}});
                  }},
        ValidCase{"Files",
                  {"--memory-out", "m.bin", "--log=f.log"},
                  [](const Options& o) { return o.memoryOut == "m.bin" && o.logPath == "f.log"; }},
        ValidCase{"ExitOnStdinEof", {"--exit-on-stdin-eof"}, [](const Options& o) { return o.exitOnStdinEof; }},
        ValidCase{"Help", {"--help"}, [](const Options& o) { return o.helpRequested; }}),
    [](const testing::TestParamInfo<ValidCase>& info) { return info.param.name; });

struct InvalidCase {
  std::string name;
  Arguments arguments;
};

class InvalidOptionsTest : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidOptionsTest, IsRejected) { EXPECT_THROW(parseOptions(GetParam().arguments), UsageError); }

INSTANTIATE_TEST_SUITE_P(
    Options, InvalidOptionsTest,
    testing::Values(InvalidCase{"TypeTooLarge", {"--type", "100"}}, InvalidCase{"TypeNotHex", {"--type", "zz"}},
                    InvalidCase{"VersionWithoutMinor", {"--bootloader-version", "2"}},
                    InvalidCase{"VersionWithThreeParts", {"--bootloader-version", "2.3.4"}},
                    InvalidCase{"NegativeCount", {"--silent-ids", "-1"}},
                    InvalidCase{"CloseAfterNoFrames", {"--close-after-frames", "0"}},
                    InvalidCase{"BlockBeyondPage", {"--wrong-code", "0A:3:16"}},
                    InvalidCase{"PageTooLarge", {"--wrong-code", "0A:256"}},
                    InvalidCase{"SelectorTooLong", {"--wrong-check", "0A:1:2:3"}},
                    InvalidCase{"ResizeWithoutCount", {"--extra-bytes", "0A"}},
                    InvalidCase{"ResizeByNothing", {"--missing-bytes", "0A:0"}},
                    InvalidCase{"LateReplyWithoutDelay", {"--late-reply", "02"}},
                    InvalidCase{"LateReplyByNothing", {"--late-reply", "02:0"}},
                    InvalidCase{"WrongEchoWithoutSelector", {"--wrong-echo", ""}},
                    InvalidCase{"UnknownOption", {"--bogus"}}, InvalidCase{"PositionalArgument", {"stray"}},
                    InvalidCase{"GivenTwice", {"--paced", "--paced"}}, InvalidCase{"FlagWithValue", {"--paced=1"}},
                    InvalidCase{"MissingValue", {"--log"}}),
    [](const testing::TestParamInfo<InvalidCase>& info) { return info.param.name; });

TEST(OptionsTest, HelpListsEveryOption) {
  const std::string help = usageText();
  for (const char* option :
       {"--type HEX", "--bootloader-version MAJ.MIN", "--silent-ids N", "--paced", "--reply-delay MS",
        "--silent-after-frames N", "--close-after-frames N", "--wrong-code SEL", "--wrong-check SEL",
        "--extra-bytes SEL:N", "--missing-bytes SEL:N", "--late-reply SEL:MS", "--wrong-echo SEL", "--memory-out FILE",
        "--log FILE", "--exit-on-stdin-eof", "--help", "CMD[:PAGE[:BLOCK]]"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

} // namespace
} // namespace kovo::devsim::test
