// Start-up, the port ring, quitting, and a panel file that cannot serve.
#include "24GHz_prog.h"
#include "glob.h"
#include "late_writer.h"
#include "main.h"
#include "program_fixture.h"
#include "pseudo_terminal.h"
#include "quit_on_stop.h"
#include "rs232.h"
#include "signal_handling.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QtTest/QTest>
#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kovo::testing {
namespace {

class Startup : public ProgramTest {
protected:
  QStringList ring_labels() const {
    QStringList labels;
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    for (int i = 0; i < ring->count(); ++i) labels << ring->itemText(i);
    return labels;
  }
  QList<int> ring_values() const {
    QList<int> values;
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    for (int i = 0; i < ring->count(); ++i) values << ring->itemData(i).toInt();
    return values;
  }
};

TEST_F(Startup, FirstRunIsGermanWithWorkButtonsDimmedAndCreatesTheSettingsFile) {
  ports_.add("COM1");
  ports_.add("COM3");
  const int result = run_program([this] {
    EXPECT_EQ(window()->windowTitle(), "PC-KovoFlash V1.0");
    EXPECT_EQ(control<QLabel>("PANEL_VERSION")->text(), "Version 1.0");
    EXPECT_TRUE(window()->isVisible());
    EXPECT_FALSE(dimmed(PANEL_CONNECT));
    EXPECT_TRUE(dimmed(PANEL_LOAD_FILE));
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
    EXPECT_EQ(control<QComboBox>("PANEL_COMPORT")->currentText(), "COM1");
    EXPECT_EQ(COMGEN, 1);
    EXPECT_EQ(language, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(read_settings_file(), "1\n\n0\n");
}

// Drawn from the built-in SVG: a missing resource or SVG plugin leaves no picture.
TEST_F(Startup, WindowCarriesTheProgramIcon) {
  run_program([this] { EXPECT_FALSE(window()->windowIcon().pixmap(64, 64).isNull()); });
}

TEST_F(Startup, StoredSettingsAreRestored) {
  ports_.add("COM1");
  ports_.add("COM3");
  write_settings_file("3\n/home/user/firmware/rx07.frm\n1\n");
  run_program([this] {
    EXPECT_EQ(control<QComboBox>("PANEL_COMPORT")->currentText(), "COM3");
    EXPECT_EQ(COMGEN, 3);
    EXPECT_EQ(language, 1);
    EXPECT_STREQ(datei_pfad, "/home/user/firmware/rx07.frm");
    EXPECT_EQ(control<QAbstractButton>("PANEL_CONNECT")->text(), "Connect KovoXxxx device (F1)");
    EXPECT_TRUE(dimmed(PANEL_LOAD_FILE));
    EXPECT_TRUE(dimmed(PANEL_PROGRAM));
  });
  EXPECT_EQ(read_settings_file(), "3\n/home/user/firmware/rx07.frm\n1\n") << "start-up reads, never writes";
}

TEST_F(Startup, PortRingListsThePortsInEnumerationOrderWithTheirNumbers) {
  ports_.add("COM3");
  ports_.add("COM1");
  ports_.add("COM10");
  ports_.add("COM256");
  run_program([this] {
    EXPECT_EQ(ring_labels(), QStringList({"COM3", "COM1", "COM10", "COM256"}));
    EXPECT_EQ(ring_values(), QList<int>({3, 1, 10, 256}));
    EXPECT_EQ(control<QComboBox>("PANEL_COMPORT")->currentIndex(), 0);
  });
}

TEST_F(Startup, WithoutPortsTheRingIsEmptyAndTheStoredNumberSurvives) {
  write_settings_file("5\n\n0\n");
  run_program([this] {
    EXPECT_TRUE(ring_labels().isEmpty());
    EXPECT_EQ(COMGEN, 5);
    click("PANEL_ENGLISH");
  });
  EXPECT_EQ(read_settings_file(), "5\n\n1\n");
}

TEST_F(Startup, VirtualPortsFromTheEnvironmentComeFirst) {
  PseudoTerminal first, second;
  const QString missing = folder_.path() + "/no-such-port";
  const QString variable =
      QStringList({QString::fromStdString(first.device_path()), missing, QString::fromStdString(second.device_path())})
          .join(QDir::listSeparator());
  qputenv("KOVOFLASH_EXTRA_PORTS", variable.toUtf8());
  rt::set_port_source(nullptr); // the live enumeration, environment included
  run_program([&] {
    const QStringList labels = ring_labels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[0].toStdString(), first.device_path());
    EXPECT_EQ(labels[1].toStdString(), second.device_path());
    EXPECT_FALSE(labels.contains(missing));
  });
  qunsetenv("KOVOFLASH_EXTRA_PORTS");
}

TEST_F(Startup, OpeningTheRingListsAPortAddedAfterStartUp) {
  qunsetenv("KOVOFLASH_EXTRA_PORTS");
  rt::set_port_source(nullptr); // the live enumeration, environment included
  run_program([this] {
    const PseudoTerminal plugged_in_later;
    const QString path = QString::fromStdString(plugged_in_later.device_path());
    ASSERT_FALSE(ring_labels().contains(path));
    qputenv("KOVOFLASH_EXTRA_PORTS", path.toUtf8());
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    QTest::mouseClick(ring, Qt::LeftButton);
    EXPECT_TRUE(ring->view()->isVisible()) << "the ring did not open";
    EXPECT_EQ(ring_labels().value(0), path);
    ring->hidePopup();
  });
  qunsetenv("KOVOFLASH_EXTRA_PORTS");
}

TEST_F(Startup, OpeningTheRingKeepsTheChosenPortWhileItIsListed) {
  ports_.add("COM1");
  ports_.add("COM3");
  write_settings_file("3\n\n1\n");
  run_program([this] {
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    ports_.add("COM2");
    ring->showPopup();
    ring->hidePopup();
    EXPECT_EQ(ring_labels(), QStringList({"COM1", "COM3", "COM2"}));
    EXPECT_EQ(ring->currentText(), "COM3");
    ports_.remove("COM3");
    ring->showPopup();
    ring->hidePopup();
    EXPECT_EQ(ring_labels(), QStringList({"COM1", "COM2"}));
    EXPECT_EQ(ring->currentText(), "COM1") << "as at start-up without the stored port";
    EXPECT_EQ(COMGEN, 3);
  });
  EXPECT_EQ(read_settings_file(), "3\n\n1\n") << "opening the ring stores nothing";
}

TEST_F(Startup, OpeningTheRingKeepsThePortTheProgramHoldsOpen) {
  const PseudoTerminal line;
  const QString path = QString::fromStdString(line.device_path());
  qputenv("KOVOFLASH_EXTRA_PORTS", path.toUtf8());
  rt::set_port_source(nullptr);
  run_program([&] {
    ASSERT_EQ(ring_labels().value(0), path);
    ASSERT_EQ(OpenComConfig(COMGEN, "", 38400, 0, 8, 2, 1024, -1), 0);
    auto* ring = control<QComboBox>("PANEL_COMPORT");
    ring->showPopup();
    ring->hidePopup();
    EXPECT_EQ(ring->currentText(), path) << "a second open of a held port fails, yet it is still there";
    EXPECT_EQ(GetInQLen(COMGEN), 0) << "and still open";
  });
  qunsetenv("KOVOFLASH_EXTRA_PORTS");
}

TEST_F(Startup, ChoosingAnotherPortClosesTheOpenOneAndStoresTheChoice) {
  PseudoTerminal first, second;
  ports_.add("first", first.device_path());
  ports_.add("second", second.device_path());
  run_program([this] {
    const int opened = COMGEN;
    ASSERT_EQ(OpenComConfig(opened, "", 38400, 0, 8, 2, 1024, -1), 0);
    QTest::keyClick(control<QComboBox>("PANEL_COMPORT"), Qt::Key_Down);
    EXPECT_EQ(GetInQLen(opened), kRS_PortNotOpen);
    EXPECT_EQ(COMGEN, ring_values()[1]);
    EXPECT_EQ(read_settings_file(), std::to_string(ring_values()[1]) + "\n\n0\n");
  });
}

// Each way of ending the program closes the port.
class Quitting : public Startup, public ::testing::WithParamInterface<const char*> {};

TEST_P(Quitting, EndsTheProgramAndClosesThePort) {
  PseudoTerminal line;
  ports_.add("line", line.device_path());
  int opened = 0;
  const int result = run_program_until_quit([&] {
    opened = COMGEN;
    ASSERT_EQ(OpenComConfig(opened, "", 38400, 0, 8, 2, 1024, -1), 0);
    const std::string way = GetParam();
    if (way == "button") click("PANEL_QUIT");
    if (way == "escape") {
      window()->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
      QTest::keyClick(window()->windowHandle(), Qt::Key_Escape); // as the window system delivers it
      // A shortcut presses its button visibly, which takes a moment.
      EXPECT_TRUE(QTest::qWaitFor([this] { return runtime_.quit_requested(); }, 2000));
    }
    if (way == "close box") window()->close();
    EXPECT_EQ(GetInQLen(opened), 0) << "still open until the event loop has ended";
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GetInQLen(opened), kRS_PortNotOpen);
}

INSTANTIATE_TEST_SUITE_P(Ways, Quitting, ::testing::Values("button", "escape", "close box"));

// A panel file that cannot serve ends the program with a message, not a crash.
struct BrokenPanel {
  const char* name;
  std::function<QByteArray(QByteArray)> spoil;
};

void PrintTo(const BrokenPanel& panel, std::ostream* out) { *out << panel.name; }

class UnusablePanelFile : public Startup, public ::testing::WithParamInterface<BrokenPanel> {};

TEST_P(UnusablePanelFile, EndsTheProgramWithAMessage) {
  QFile original(QStringLiteral(KOVO_PANEL_FILE));
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  QFile broken(folder_.filePath("24GHz_prog.uir"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write(GetParam().spoil(original.readAll()));
  broken.close();
  runtime_.set_panel_directory(folder_.path());

  EXPECT_EQ(kovo::main(0, nullptr), 1);
  ASSERT_EQ(dialogs_.messages().size(), 1u);
  EXPECT_EQ(dialogs_.messages()[0].title, "24GHz_prog.uir");
  EXPECT_FALSE(QFile::exists(folder_.filePath("ini_pckovorecv.dat")));
}

#ifndef _WIN32
// A pipe of the panel file's name is passed over for the built-in panel:
// opening it would wait for a writer before the window ever appeared.
TEST_F(Startup, APipeNamedAsThePanelFileIsPassedOver) {
  const std::string pipe = QFile::encodeName(folder_.filePath("24GHz_prog.uir")).toStdString();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  runtime_.set_panel_directory(folder_.path());
  const LateWriter writer(pipe, std::chrono::seconds(20));

  const int result = run_program([this] { EXPECT_TRUE(window()->isVisible()); });

  EXPECT_EQ(result, 0);
  EXPECT_TRUE(dialogs_.messages().empty());
}
#endif

QByteArray without_control(QByteArray file, const char* name) {
  const int at = file.indexOf(QByteArray("name=\"") + name + "\"");
  const int start = file.lastIndexOf("<widget", at);
  const int end = file.indexOf("</widget>", at) + 9;
  return file.remove(start, end - start);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnusablePanelFile,
    ::testing::Values(
        BrokenPanel{"NotAPanel", [](QByteArray) { return QByteArray("\x00\x01garbage", 9); }},
        BrokenPanel{"Empty", [](QByteArray) { return QByteArray(); }},
        BrokenPanel{"LacksDeviceTypeBox", [](QByteArray file) { return without_control(file, "PANEL_DEVICE_TYPE"); }},
        BrokenPanel{"UnknownCallback", [](QByteArray file) { return file.replace("PROG_FLASH", "PROG_FLASH2"); }},
        BrokenPanel{"OtherPanelId",
                    [](QByteArray file) {
                      return file.replace("<property name=\"resourceId\" stdset=\"0\">\n   <number>1<",
                                          "<property name=\"resourceId\" stdset=\"0\">\n   <number>2<");
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kovo::testing

namespace kovo::testing {
namespace {

// Windows hands Ctrl-C to the console handler, not to raise().
#ifndef _WIN32
TEST_F(Startup, StopRequestClosesAnOpenDialogAndQuits) {
  const rt::SignalHandling signal_handling;
  const rt::QuitOnStop quit_on_stop;
  run_program([this] {
    QDialog dialog(window());
    QTimer::singleShot(0, [] { std::raise(SIGHUP); });
    QTimer::singleShot(5000, &dialog, &QDialog::accept); // so a failure does not hang
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(told_to_quit_within(std::chrono::seconds(2)));
  });
}
#endif

TEST_F(Startup, CommandButtonsKeepTheirShortcutKeysInBothLanguages) {
  const std::pair<const char*, const char*> keys[] = {
      {"PANEL_CONNECT", "F1"}, {"PANEL_LOAD_FILE", "F2"}, {"PANEL_PROGRAM", "F3"}, {"PANEL_QUIT", "Esc"}};
  run_program([&] {
    for (const char* language_button : {"PANEL_ENGLISH", "PANEL_GERMAN"}) {
      click(language_button);
      for (const auto& [button, key] : keys) {
        EXPECT_EQ(control<QAbstractButton>(button)->shortcut(), QKeySequence(QString::fromLatin1(key)))
            << button << " after " << language_button;
      }
    }
  });
}

} // namespace
} // namespace kovo::testing
