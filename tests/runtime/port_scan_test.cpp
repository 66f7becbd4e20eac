#include "port_scan.h"
#include "fake_ports.h"
#include "open_watch.h"
#include "pseudo_terminal.h"
#include "rs232.h"
#include "session.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <cstring>

namespace {

using kovo::testing::FakePorts;
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

// The live source with the virtual ports the environment names.
class VirtualPortList : public PortList {
protected:
  ~VirtualPortList() override { qunsetenv("KOVOFLASH_EXTRA_PORTS"); }

  QStringList labels_listed_for(const QStringList& named) const {
    qputenv("KOVOFLASH_EXTRA_PORTS", QFile::encodeName(named.join(QDir::listSeparator())));
    SerialPortEntry entries[100];
    const int count = ListSerialPorts(entries, 100);
    QStringList labels;
    for (int i = 0; i < count; ++i) labels << QString::fromUtf8(entries[i].label);
    return labels;
  }

  const PseudoTerminal line_;
  const QString path_ = QString::fromStdString(line_.device_path());
  QTemporaryDir folder_;
};

// Another program (another copy of this one) may be opening the port at the
// very moment: an open by the list would take it from them.
TEST_F(VirtualPortList, IsListedWithoutBeingOpened) {
  const OpenWatch watch(line_.device_path());
  EXPECT_TRUE(labels_listed_for({path_}).contains(path_));
  EXPECT_FALSE(watch.opened_since());
  QSerialPort port(path_);
  ASSERT_TRUE(port.open(QIODevice::ReadWrite));
  EXPECT_TRUE(watch.opened_since()) << "the watch sees an open";
}

TEST_F(VirtualPortList, ListsALineOnceHoweverItIsNamed) {
  QString doubled_slash = path_;
  doubled_slash.insert(path_.lastIndexOf(QLatin1Char('/')), QLatin1Char('/'));
  const QString link = folder_.filePath(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(path_, link));
  const QStringList labels = labels_listed_for({path_, path_, doubled_slash, link, path_});
  EXPECT_EQ(labels.count(path_), 1);
  EXPECT_FALSE(labels.contains(doubled_slash));
  EXPECT_FALSE(labels.contains(link));
}

// /dev/ptmx opens, but as a new pseudo-terminal each time, not as a line.
TEST_F(VirtualPortList, LeavesOutWhatIsNoSerialLine) {
  const QString missing = folder_.filePath(QStringLiteral("no-such-port"));
  const QString plain_file = folder_.filePath(QStringLiteral("plain"));
  QFile(plain_file).open(QIODevice::WriteOnly);
  const QStringList no_lines = {missing, plain_file, folder_.path(), QStringLiteral("/dev/ptmx")};
  const QStringList labels = labels_listed_for(no_lines + QStringList{path_});
  EXPECT_TRUE(labels.contains(path_));
  for (const QString& path : no_lines) EXPECT_FALSE(labels.contains(path)) << path.toStdString();
}

} // namespace
