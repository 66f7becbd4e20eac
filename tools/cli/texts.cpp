#include "texts.h"

namespace cli {
namespace {

constexpr Texts kGerman = {
    "Port: %1",
    "Port %1 nicht gefunden; die Ports zeigt --list-ports.",
    "Kein serieller Port gefunden.",
    "Jetzt das Ger\u00e4t einschalten.",
    "Warte auf das Ger\u00e4t: %1/%2",
    "Der Port l\u00e4sst sich nicht \u00f6ffnen.",
    "Der Port %1 wird von einem anderen Programm benutzt.",
    "Keine Berechtigung f\u00fcr den Port %1.",
    "Serielle Ports darf die Gruppe dialout \u00f6ffnen: sudo usermod -aG dialout $USER, dann neu anmelden.",
    "%1 ist kein serieller Port.",
    "Die Verbindung \u00fcber den Port %1 ist abgerissen.",
    "Kein Ger\u00e4t hat geantwortet.",
    "Ger\u00e4t: %1, Bootloader %2",
    "unbekannter Typ",
    "Dieses Ger\u00e4t kann nicht aktualisiert werden.",
    "Die Firmwaredatei %1 ist nicht lesbar.",
    "Firmwaredatei geladen: %1",
    "Die Firmwaredatei ist fehlerhaft.",
    "Warnung: Die Daten der Datei ab 0x%1 liegen hinter den %2 KiB, die dieses Ger\u00e4t erh\u00e4lt, "
    "und werden nicht programmiert.",
    "Warnung: Die Datei enth\u00e4lt keine Daten f\u00fcr die %1 KiB, die dieses Ger\u00e4t erh\u00e4lt; "
    "es wird mit FF beschrieben.",
    "noch %1",
    "Firmware programmiert.",
    "Programmierung fehlgeschlagen.",
    "Das Update wurde abgebrochen und muss wiederholt werden.",
    "virtueller Port",
    "Kovo-USB-Link (CP210x)",
};

constexpr Texts kEnglish = {
    "Port: %1",
    "Port %1 not found; --list-ports shows the ports.",
    "No serial port found.",
    "Switch the device on now.",
    "Waiting for the device: %1/%2",
    "The port cannot be opened.",
    "Port %1 is in use by another program.",
    "You may not open port %1.",
    "Serial ports are for the group dialout: sudo usermod -aG dialout $USER, then log in again.",
    "%1 is not a serial port.",
    "The connection through port %1 was lost.",
    "No device answered.",
    "Device: %1, bootloader %2",
    "unknown type",
    "This device cannot be updated.",
    "The firmware file %1 cannot be read.",
    "Firmware file loaded: %1",
    "The firmware file is faulty.",
    "Warning: the file's data from 0x%1 on lies beyond the %2 KiB this device receives and is not "
    "programmed.",
    "Warning: the file holds no data for the %1 KiB this device receives; it is written with FF.",
    "%1 left",
    "Firmware programmed.",
    "Programming failed.",
    "The update was interrupted and must be repeated.",
    "virtual port",
    "Kovo-USB-Link (CP210x)",
};

} // namespace

const Texts& texts_for(Language language) { return language == Language::German ? kGerman : kEnglish; }

} // namespace cli
