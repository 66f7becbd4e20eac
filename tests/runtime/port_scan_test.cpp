#include "port_scan.h"
#include "fake_ports.h"
#include "held_line.h"
#include "open_watch.h"
#include "pseudo_terminal.h"
#include "rs232.h"
#include "session.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using kovo::testing::FakePorts;
using kovo::testing::HeldLine;
using kovo::testing::OpenWatch;
using kovo::testing::PseudoTerminal;

class PortList : public ::testing::Test {
protected:
  rt::Session session_;
};

TEST(PortNumbers, ComPortsKeepTheirWindowsNumber) {
  EXPECT_EQ(rt::port_number_for("COM1", "COM1"), 1);
  EXPECT_EQ(rt::port_number_for("COM12", "\\\\.\\COM12"), 12);
  EXPECT_EQ(rt::port_number_for("COM256", "COM256"), 256);
}

TEST(PortNumbers, OtherPortsGetAStableNumberAboveEveryComNumber) {
  const int usb0 = rt::port_number_for("ttyUSB0", "/dev/ttyUSB0");
  EXPECT_EQ(usb0, rt::port_number_for("ttyUSB0", "/dev/ttyUSB0"));
  EXPECT_NE(usb0, rt::port_number_for("ttyUSB1", "/dev/ttyUSB1"));
  EXPECT_GE(usb0, 100000);
  EXPECT_GE(rt::port_number_for("COMX", "/dev/COMX"), 100000);
}

TEST_F(PortList, HoldsAtMostTheCapacityAndEveryNumberOpensItsOwnPort) {
  FakePorts ports;
  for (int i = 0; i < 150; ++i) ports.add("ttyS" + std::to_string(i), "/dev/ttyS" + std::to_string(i));
  SerialPortEntry entries[100];
  ASSERT_EQ(ListSerialPorts(entries, 100), 100);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(rt::location_of_port(entries[i].number), "/dev/ttyS" + std::to_string(i));
  }
}

TEST_F(PortList, LongNamesAreCutToTheLabelSize) {
  FakePorts ports;
  ports.add(std::string(150, 'x'));
  SerialPortEntry entries[1];
  ASSERT_EQ(ListSerialPorts(entries, 1), 1);
  EXPECT_EQ(std::strlen(entries[0].label), 99u);
}

TEST_F(PortList, AnUnlistedNumberCannotBeOpened) {
  FakePorts ports;
  SerialPortEntry entries[1];
  ASSERT_EQ(ListSerialPorts(entries, 1), 0);
  EXPECT_NE(OpenComConfig(7, "", 38400, 0, 8, 2, 1024, -1), 0);
}

// The live source with the virtual ports the environment names.
class VirtualPortList : public PortList {
protected:
  ~VirtualPortList() override { unsetenv("KOVOFLASH_EXTRA_PORTS"); }

  std::vector<std::string> labels_listed_for(const std::vector<std::string>& named) const {
    std::string listed;
    for (const std::string& path : named) listed += path + ':';
    setenv("KOVOFLASH_EXTRA_PORTS", listed.c_str(), 1);
    SerialPortEntry entries[100];
    const int count = ListSerialPorts(entries, 100);
    std::vector<std::string> labels;
    for (int i = 0; i < count; ++i) labels.push_back(entries[i].label);
    return labels;
  }

  std::string in_folder(const char* name) const { return folder_.filePath(QString::fromUtf8(name)).toStdString(); }

  const PseudoTerminal line_;
  const std::string path_ = line_.device_path();
  QTemporaryDir folder_;
};

// Another program (another copy of this one) may be opening the port at the
// very moment: an open by the list would take it from them.
TEST_F(VirtualPortList, IsListedWithoutBeingOpened) {
  const OpenWatch watch(line_.device_path());
  EXPECT_EQ(std::ranges::count(labels_listed_for({path_}), path_), 1);
  EXPECT_FALSE(watch.opened_since());
  const HeldLine port(path_);
  ASSERT_TRUE(port.held());
  EXPECT_TRUE(watch.opened_since()) << "the watch sees an open";
}

TEST_F(VirtualPortList, ListsALineOnceHoweverItIsNamed) {
  std::string doubled_slash = path_;
  doubled_slash.insert(path_.rfind('/'), "/");
  const std::string link = in_folder("link");
  std::filesystem::create_symlink(path_, link);
  const std::vector<std::string> labels = labels_listed_for({path_, path_, doubled_slash, link, path_});
  EXPECT_EQ(std::ranges::count(labels, path_), 1);
  EXPECT_EQ(std::ranges::count(labels, doubled_slash), 0);
  EXPECT_EQ(std::ranges::count(labels, link), 0);
}

// /dev/ptmx opens, but as a new pseudo-terminal each time, not as a line.
TEST_F(VirtualPortList, LeavesOutWhatIsNoSerialLine) {
  const std::string plain_file = in_folder("plain");
  std::ofstream(plain_file).put('x');
  std::vector<std::string> named = {in_folder("no-such-port"), plain_file, folder_.path().toStdString(), "/dev/ptmx"};
  const std::vector<std::string> no_lines = named;
  named.push_back(path_);
  const std::vector<std::string> labels = labels_listed_for(named);
  EXPECT_EQ(std::ranges::count(labels, path_), 1);
  for (const std::string& path : no_lines) EXPECT_EQ(std::ranges::count(labels, path), 0) << path;
}

} // namespace
