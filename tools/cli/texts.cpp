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
    "Warnung: Die Datei endet ohne Dateiende-Satz (:00000001FF); vielleicht ist sie unvollst\u00e4ndig.",
    "noch %1",
    "Firmware programmiert.",
    "Programmierung fehlgeschlagen.",
    "Das Update wurde abgebrochen und muss wiederholt werden.",
    "virtueller Port",
    "Kovo-USB-Link (CP210x)",
    "Kein Kovo-USB-Link gefunden.",
    "%1 Kovo-USB-Links gefunden.",
    "Bitte den Port mit --port angeben. Die Ports:",
    "Die Protokolldatei %1 l\u00e4sst sich nicht schreiben.",
    "ja",
    "nein",
    "keine",
    "L\u00e4dt: %1",
    "H\u00f6chste Adresse mit Daten: %1",
    "Bytes mit Daten: %1",
    "Passt in ein Ger\u00e4t mit %1 KiB: %2",
    "CRC-32 des Abbilds von %1 KiB: %2",
    "Port",
    "Ger\u00e4t",
    "Ergebnis",
    "Sekunden",
    "%1 von %2 Ports fehlgeschlagen.",
    "ohne Ergebnis beendet",
    "Die Einstellungsdatei %1 ist nicht lesbar; dieser Lauf nimmt die Voreinstellungen und l\u00e4sst die Datei, "
    "wie sie ist.",
    "Die Protokolldatei %1 ist die Firmwaredatei.",
    "Die Protokolldatei %1 ist die Einstellungsdatei.",
    "Die Protokolldatei %1 ist keine gew\u00f6hnliche Datei.",
    "Warnung: Die Protokolldatei %1 lie\u00df sich nicht vollst\u00e4ndig schreiben.",
    "Die Datei enth\u00e4lt keine Daten f\u00fcr die ersten %1 KiB, die jedes Ger\u00e4t erh\u00e4lt; das Ger\u00e4t "
    "hielte nur FF. Mit --force wird sie trotzdem programmiert.",
    "Das Update wurde abgebrochen, bevor etwas auf das Ger\u00e4t geschrieben wurde.",
    "%1 (%2 s)",
    ",",
    "Aufruf: %1 [--port PORT] [--lang de|en] [--force] DATEI.frm\n"
    "        %1 [--port PORT]... [--all-links] [--json] [--trace DATEI] [--lang de|en] [--force] DATEI.frm\n"
    "        %1 --check [--json] [--lang de|en] DATEI.frm\n"
    "        %1 --list-ports\n"
    "        %1 --help | --version\n"
    "\n"
    "Aktualisiert die Firmware eines Kovo-Ger\u00e4ts \u00fcber das Kovo-USB-Link: pr\u00fcft\n"
    "DATEI.frm, \u00f6ffnet den Port, bittet, das Ger\u00e4t einzuschalten, erkennt es\n"
    "und programmiert die Datei so, wie sie gepr\u00fcft wurde.\n"
    "\n"
    "  --port PORT    ein Port-Name oder eine Nummer aus --list-ports oder ein\n"
    "                 Ger\u00e4tepfad; sonst der Port des letzten Laufs, sonst das\n"
    "                 eine aufgef\u00fchrte Kovo-USB-Link (mehrmals angegeben: alle\n"
    "                 Ports zugleich)\n"
    "  --all-links    auch jedes aufgef\u00fchrte Kovo-USB-Link (USB-Kennung 10C4:EA60)\n"
    "                 aktualisieren\n"
    "  --lang de|en   Sprache der Meldungen; sonst Deutsch, wenn das System auf\n"
    "                 Deutsch eingestellt ist, und Englisch in jedem anderen Fall\n"
    "  --json         je Schritt und Ergebnis ein JSON-Objekt in einer Zeile auf\n"
    "                 der Standardausgabe; alles andere geht auf die\n"
    "                 Standardfehlerausgabe\n"
    "  --trace DATEI  jeden gesendeten und empfangenen Rahmen in DATEI schreiben;\n"
    "                 bei mehreren Ports je Port in eine Datei: DATEI.PORT\n"
    "  --force        auch eine Datei programmieren, die f\u00fcr die ersten 16 KiB\n"
    "                 keine Daten enth\u00e4lt, sodass das Ger\u00e4t dort FF hielte; ohne\n"
    "                 --force wird sie abgelehnt\n"
    "  --check        sagen, ob DATEI l\u00e4dt, wo ihre Daten liegen, ob sie in ein\n"
    "                 Ger\u00e4t mit 16 und mit 32 KiB passt, und die CRC-32 jedes\n"
    "                 Abbilds (mit --json: als ein JSON-Objekt)\n"
    "  --list-ports   die Ports auff\u00fchren: Name, Nummer, Beschreibung, USB-Kennung\n"
    "  --help         diese Hilfe zeigen\n"
    "  --version      die Version zeigen\n"
    "\n"
    "Port, zuletzt geladene Firmwaredatei und Sprache stehen im Ordner\n"
    "  %2\n"
    "und werden dort am Ende eines Laufs gespeichert, in dem ein Ger\u00e4t geantwortet\n"
    "hat. In den aktuellen Ordner wird nichts geschrieben.\n"
    "\n"
    "R\u00fcckgabewert:\n"
    "  0  fertig: Firmware programmiert, Ports aufgef\u00fchrt, Hilfe oder Version gezeigt\n"
    "  1  interner Fehler: das Programm konnte nicht starten\n"
    "  2  falscher Aufruf\n"
    "  3  der Port l\u00e4sst sich nicht \u00f6ffnen, ist nicht aufgef\u00fchrt oder ging beim\n"
    "     Verbinden verloren\n"
    "  4  kein Ger\u00e4t hat geantwortet\n"
    "  5  das Ger\u00e4t kann nicht aktualisiert werden\n"
    "  6  die Firmwaredatei ist nicht lesbar, fehlerhaft oder enth\u00e4lt keine Daten\n"
    "     f\u00fcr das Ger\u00e4t\n"
    "  7  Programmierung fehlgeschlagen\n"
    "  8  abgebrochen (Strg+C oder ein Beendigungssignal): das Update wiederholen\n"
    "Bei mehreren Ports: 0, wenn jeder Port erfolgreich war, sonst der h\u00f6chste\n"
    "R\u00fcckgabewert eines Ports.",
    "Mehr mit '%1 --help'.",
    "unbekannte Option: %1",
    "%1 braucht einen Wert",
    "%1 nimmt keinen Wert",
    "--lang nimmt de oder en",
    "eine Firmwaredatei angeben",
    "--list-ports nimmt kein weiteres Argument",
    "--check nimmt au\u00dfer seiner Datei nur --lang und --json",
    "--workshop-child nimmt genau einen --port",
    "--port %1 und --port %2 nennen denselben Port",
    "KOVOFLASH_TIME_SCALE nimmt eine Zahl von 0.01 bis 100",
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
    "Warning: the file ends without an end-of-file record (:00000001FF); it may be cut short.",
    "%1 left",
    "Firmware programmed.",
    "Programming failed.",
    "The update was interrupted and must be repeated.",
    "virtual port",
    "Kovo-USB-Link (CP210x)",
    "No Kovo-USB-Link found.",
    "%1 Kovo-USB-Links found.",
    "Name the port with --port. The ports:",
    "The trace file %1 cannot be written.",
    "yes",
    "no",
    "none",
    "Loads: %1",
    "Highest address with data: %1",
    "Bytes with data: %1",
    "Fits a %1 KiB device: %2",
    "CRC-32 of the %1 KiB image: %2",
    "port",
    "device",
    "result",
    "seconds",
    "%1 of %2 ports failed.",
    "ended without a result",
    "The settings file %1 cannot be read; this run takes the defaults and leaves the file as it is.",
    "The trace file %1 is the firmware file.",
    "The trace file %1 is the settings file.",
    "The trace file %1 is not a regular file.",
    "Warning: the trace file %1 could not be written completely.",
    "The file holds no data for the first %1 KiB, which every device receives; the device would hold nothing but FF. "
    "--force programs it all the same.",
    "The update was interrupted before anything was written to the device.",
    "%1 (%2 s)",
    ".",
    "Usage: %1 [--port PORT] [--lang de|en] [--force] FILE.frm\n"
    "       %1 [--port PORT]... [--all-links] [--json] [--trace FILE] [--lang de|en] [--force] FILE.frm\n"
    "       %1 --check [--json] [--lang de|en] FILE.frm\n"
    "       %1 --list-ports\n"
    "       %1 --help | --version\n"
    "\n"
    "Updates the firmware of a Kovo device through the Kovo-USB-Link: checks\n"
    "FILE.frm, opens the port, asks you to switch the device on, identifies it\n"
    "and programs the file as it was checked.\n"
    "\n"
    "  --port PORT   a port label or number from --list-ports, or a device path;\n"
    "                default: the port of the last run, else the one listed\n"
    "                Kovo-USB-Link (given more than once: every port updated at once)\n"
    "  --all-links   update every listed Kovo-USB-Link (USB id 10C4:EA60) too\n"
    "  --lang de|en  language of the messages; default: German when the system\n"
    "                locale is German, English otherwise\n"
    "  --json        one JSON object per line on standard output for each step\n"
    "                and result; the other output goes to standard error\n"
    "  --trace FILE  write every frame sent and received to FILE; with more than\n"
    "                one port, to one file per port: FILE.PORT\n"
    "  --force       program a file that holds no data for the first 16 KiB,\n"
    "                which would leave the device holding FF; refused otherwise\n"
    "  --check       tell whether FILE loads, where its data lie, whether it fits\n"
    "                a 16 and a 32 KiB device, and the CRC-32 of each image\n"
    "                (with --json: as one JSON object)\n"
    "  --list-ports  list the ports: label, number, description, USB id\n"
    "  --help        show this help\n"
    "  --version     show the version\n"
    "\n"
    "The port, the last firmware file and the language are kept in the folder\n"
    "  %2\n"
    "and stored there at the end of a run in which a device answered. Nothing\n"
    "is written to the current folder.\n"
    "\n"
    "Exit status:\n"
    "  0  done: firmware programmed, ports listed, help or version shown\n"
    "  1  internal error: the program could not start\n"
    "  2  bad usage\n"
    "  3  the port cannot be opened, is not listed, or was lost while connecting\n"
    "  4  no device answered\n"
    "  5  the device cannot be updated\n"
    "  6  the firmware file cannot be read, is faulty, or holds no data for the\n"
    "     device\n"
    "  7  programming failed\n"
    "  8  interrupted (Ctrl-C or a termination signal): repeat the update\n"
    "With more than one port: 0 when every port succeeded, else the highest\n"
    "status of a port.",
    "Try '%1 --help'.",
    "unknown option: %1",
    "%1 needs a value",
    "%1 takes no value",
    "--lang takes de or en",
    "give one firmware file",
    "--list-ports takes no other argument",
    "--check takes only --lang and --json besides its file",
    "--workshop-child takes one --port",
    "--port %1 and --port %2 name the same port",
    "KOVOFLASH_TIME_SCALE takes a number from 0.01 to 100",
};

} // namespace

const Texts& texts_for(Language language) { return language == Language::German ? kGerman : kEnglish; }

} // namespace cli
