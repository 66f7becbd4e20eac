#include "port_scan.h"
#include "fake_ports.h"
#include "rs232.h"
#include "session.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

using kovo::testing::FakePorts;

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
  for (int i = 0; i < 150; ++i) ports.add(QStringLiteral("ttyS%1").arg(i), QStringLiteral("/dev/ttyS%1").arg(i));
  SerialPortEntry entries[100];
  ASSERT_EQ(ListSerialPorts(entries, 100), 100);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(rt::location_of_port(entries[i].number), QStringLiteral("/dev/ttyS%1").arg(i));
  }
}

TEST_F(PortList, LongNamesAreCutToTheLabelSize) {
  FakePorts ports;
  ports.add(QString(150, 'x'));
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

} // namespace
