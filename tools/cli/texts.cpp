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
    "Kein Ger\u00e4t hat geantwortet.",
    "Ger\u00e4t: %1, Bootloader %2",
    "unbekannter Typ",
    "Dieses Ger\u00e4t kann nicht aktualisiert werden.",
    "Die Firmwaredatei %1 ist nicht lesbar.",
    "Firmwaredatei geladen: %1",
    "Die Firmwaredatei ist fehlerhaft.",
    "noch %1",
    "Firmware programmiert.",
    "Programmierung fehlgeschlagen.",
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
    "No device answered.",
    "Device: %1, bootloader %2",
    "unknown type",
    "This device cannot be updated.",
    "The firmware file %1 cannot be read.",
    "Firmware file loaded: %1",
    "The firmware file is faulty.",
    "%1 left",
    "Firmware programmed.",
    "Programming failed.",
    "virtual port",
    "Kovo-USB-Link (CP210x)",
};

} // namespace

const Texts& texts_for(Language language) { return language == Language::German ? kGerman : kEnglish; }

} // namespace cli
