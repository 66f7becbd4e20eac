// Bytes that arrive where the echo of the closing command belongs: its echo
// (FF 02 02 00) is byte for byte an acknowledgement, so behind them it would
// pass for the reply. None of these devices acknowledges the closing command.
#include "cli_fixture.h"
#include "devsim_process.h"

#include <algorithm>

namespace kovo::cli_testing {
namespace {

using testsupport::DevsimProcess;

const Bytes kProgEnd = {0xFF, 0x02, 0x02, 0x00};
const std::vector<Block> kFirmware = {{0x0000, Bytes(256, 0x5A)}};

struct ForeignBytes {
  const char* name;
  std::vector<std::string> device; // simulator options
  double time_scale;
};

class BytesInFrontOfTheClosingEcho : public CliTest, public ::testing::WithParamInterface<ForeignBytes> {
protected:
  BytesInFrontOfTheClosingEcho() { time_scale_ = GetParam().time_scale; }
};

TEST_P(BytesInFrontOfTheClosingEcho, FailTheUpdateInsteadOfPassingForTheReply) {
  DevsimProcess device(GetParam().device);
  const QString file = write_file(QStringLiteral("firmware.frm"), intel_hex(kFirmware));
  const CliRun result = run(update_arguments(port_of(device), file));
  EXPECT_EQ(result.exit_code, kExitProgramming) << result.out.toStdString() << result.err.toStdString();
  EXPECT_FALSE(result.out.contains(QStringLiteral("Firmware programmed."))) << result.out.toStdString();
  EXPECT_EQ(result.err, QStringLiteral("Programming failed.\n"));
  const auto log = device.finalLog();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const auto& logged) { return logged.bytes == kProgEnd; }))
      << "the device got the closing command";
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BytesInFrontOfTheClosingEcho,
    ::testing::Values(
        // Four stray bytes behind the last page's reply reach the PC on the
        // paced line only after it has discarded its input and sent the
        // closing command; the device never answers that command.
        ForeignBytes{"stray_bytes_after_the_last_page",
                     {"--paced", "--extra-bytes", "08:63:4", "--silent-after-frames", "1217"},
                     kShortTimeScale},
        // The rejection comes 750 ms late: after the first attempt's 0.5 s
        // time-out, in front of the second attempt's echo. Real time, since
        // the simulator's delay is not scaled.
        ForeignBytes{"rejection_after_the_time_out", {"--late-reply", "02:750", "--wrong-code", "02"}, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::cli_testing
