#include "window_texts.h"

#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>

namespace kovo::testsupport {
namespace {

// The texts stand line by line as they are shown, so no formatter rearranges them.
// clang-format off
const WindowText kTexts[] = {
    {"PANEL_CONNECT",
     "KovoXxxx-Gerät verbinden (F1)",
     "Connect KovoXxxx device (F1)"},
    {"PANEL_LOAD_FILE",
     "Firmware Datei laden (F2)",
     "Load firmware file (F2)"},
    {"PANEL_PROGRAM",
     "Firmware programmieren (F3)",
     "Program firmware (F3)"},
    {"PANEL_QUIT",
     "Programm beenden (ESC)",
     "Quit (ESC)"},
    {"PANEL_PARAM_PROGRESS",
     "programmiere Parameter...",
     "program parameter..."},
    {"PANEL_LOAD_PROGRESS",
     "lade Firmwaredatei...",
     "load firmware file..."},
    {"PANEL_FLASH_PROGRESS",
     "programmiere Firmware...",
     "program firmware..."},
    {"PANEL_COMPORT",
     "Com-Port-Auswahlfeld",
     "Com-port selection"},
    {"PANEL_FILENAME",
     "Dateiname",
     "Filename"},
    {"PANEL_BOOT_VERSION",
     "Bootloaderversion",
     "bootloader version"},
    {"PANEL_DEVICE_TYPE",
     "Empfängertyp",
     "receiver type"},
    {"text_port_err_1",
     "COM-Port",
     "COM-Port"},
    {"text_port_err_2",
     "COM-Port nicht gefunden!\nBitte anderen COM-Port auswählen!",
     "COM-Port not found!\nPlease select another COM-Port!"},
    {"text_flash_err_1",
     "Programmierfehler",
     "Programming error"},
    {"text_flash_err_2",
     "Programmierung Fehlerhaft!\nEmpfänger neu verbinden\nund Programmierung wiederholen!",
     "Incorrect programming!\nReconnect receiver\nand restart programming!"},
    {"text_flash_err_3",
     "Programmierfehler",
     "Programming error"},
    {"text_flash_err_4",
     "Ein Firmwareupdate von diesem KovoXxxx Gerät wird mit\ndieser Version von KovoUpdate nicht unterstützt!",
     "Updating firmware of this KovoXxxx device is not\navailable with this version of KovoUpdate!"},
    {"text_flash_err_5",
     "Dateifehler",
     "File error"},
    {"text_flash_err_6",
     "Datei Fehlerhaft!",
     "File faulty!"},
    {"PANEL_STEP_1",
     "1.   die Treiber für das Kovo-USB-Link installieren, sofern noch nicht geschehen",
     "1.   install the drivers for the Kovo-USB-Link, if not done already"},
    {"PANEL_STEP_2",
     "2.   Kovo-USB-Link mit einem USB-Anschluss Ihres PC verbinden",
     "2.   connect the Kovo-USB-Link to a USB port of your PC"},
    {"PANEL_STEP_3",
     "3.   den Com-Port mit dem das Kovo-USB-Link verbunden wurde auswählen\n      (Silicon Labs CP210x USB to UART Bridge)",
     "3.   select the Com-port where the Kovo-USB-Link is connected to\n      (Silicon Labs CP210x USB to UART Bridge) "},
    {"PANEL_STEP_4",
     "4.   das Kovo-USB-Link mit dem DAT-Ausgang des KovoXxxx-Gerätes verbinden\n      Dazu das dem Kovo-USB-Link beiliegende zweiadrige Verbindungskabel\n      (braun, orange) benutzen (Achtung: die Benutzung anderer Kabel kann zur Zerstörung\n      des USB-Ports am PC führen). Es ist darauf zu achten, dass die braune Ader des\n      Verbindungskabels jeweils mit dem Minus-Kontakt (-) verbunden ist (bei Empfänger\n      und Kovo-USB Link).Der Kovo Receiver SAT1 wird direkt mit seinem Anschlußkabel\n      an das Kovo-USB-Link angeschlossen.",
     "4.   connect the Kovo-USB-Link to the DAT-output of the KovoXxxx device. Use only the\n      two-core connection cable (brown, orange) which is included in the Kovo-USB-Link\n      (Warning: Using other cablesmay destroy the USB port of your PC). Make sure that\n      the brown wire of the connection cable is connected to the minus contact (-) of\n      KovoXxxx device and Kovo-USB-Link. The Kovo Receiver SAT1 is directly connected\n      with its connecting cable to the Kovo-USB-Lnk."},
    {"PANEL_STEP_5",
     "5.   den Button \"KovoXxxx-Gerät verbinden (F1)\" drücken und das KovoXxxx-Gerät\n      innerhalb von 5 Sek. nach Anklicken von \"KovoXxxx-Gerät verbinden (F1)\" einschalten\n      (mit Akku verbinden/Spannung versorgen bzw.beim Kovo Receiver SAT1 \n      Anschlußkabel anstecken). Sollte der Zeitraum verpasst worden sein, bitte Button \n      erneut drücken und erst danach wieder das KovoXxxx-Gerät einschalten.",
     "5.   click the button \"Connect KovoXxxx device (F1)\" and within 5 seconds switch on the\n      KovoXxxx device (by connecting to battery/power supply or plug in connecting cable at \n      Kovo Receiver SAT1). If you have missed to switch on within 5 seconds, click the button\n      again and then switch on the KovoXxxx device again."},
    {"PANEL_STEP_6",
     "6.   \"Firmware Datei laden (F2)\" betätigen und gültige Firmwaredatei (Endung *.frm)\n      für das KovoXxxx-Gerät auswählen.",
     "6.   click the button\"Load firmware file (F2)\" and select vaid firmware file (ending *.frm)\n      to the KovoXxxx device."},
    {"PANEL_STEP_7",
     "7.   mit Betätigung von \"Firmware programmieren (F3)\" KovoXxxx-Gerät Firmware\n      programmieren. Bei Fehlermeldung Firmware-Update wiederholen.",
     "7.   with click on button \"program firmware... (F3)\" program firmware of KovoXxxx device\n      If error message, restart firmware update."},
};
// clang-format on

} // namespace

std::span<const WindowText> window_texts() { return kTexts; }

const char* window_text(const char* target, int language) {
  for (const WindowText& text : kTexts) {
    if (std::strcmp(text.target, target) == 0) return language == 0 ? text.german : text.english;
  }
  throw std::invalid_argument(std::string("no text for ") + target);
}

} // namespace kovo::testsupport
