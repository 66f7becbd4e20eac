// The texts of the two languages, UTF-8.
#include "language.h"

#include "24GHz_prog.h"
#include "glob.h"

#include <cstdio>
#include <string>

namespace kovo {
namespace {

struct Label {
  int control;
  const char* text;
};

struct LanguageTexts {
  std::array<const char*, 2> port_error;  // text_port_err_1, _2
  const char* title_format;               // filled with the version
  std::array<const char*, 7> steps;       // instruction steps 1 to 7
  std::array<Label, 11> labels;           // in the order they are written
  std::array<const char*, 6> flash_error; // text_flash_err_1 to _6
};

constexpr std::array<int, 7> kStepControls = {PANEL_STEP_1, PANEL_STEP_2, PANEL_STEP_3, PANEL_STEP_4,
                                              PANEL_STEP_5, PANEL_STEP_6, PANEL_STEP_7};

// The texts stand line by line as they are shown, so no formatter rearranges them.
// clang-format off
// German, language 0
constexpr LanguageTexts kGerman = {
    .port_error = {"COM-Port",
                   "COM-Port nicht gefunden!\n"
                   "Bitte anderen COM-Port auswählen!"},
    .title_format = "PC-KovoFlash V%s",
    .steps = {
        "1.   die Treiber für das Kovo-USB-Link installieren, sofern noch nicht geschehen",
        "2.   Kovo-USB-Link mit einem USB-Anschluss Ihres PC verbinden",
        "3.   den Com-Port mit dem das Kovo-USB-Link verbunden wurde auswählen\n"
        "      (Silicon Labs CP210x USB to UART Bridge)",
        "4.   das Kovo-USB-Link mit dem DAT-Ausgang des KovoXxxx-Gerätes verbinden\n"
        "      Dazu das dem Kovo-USB-Link beiliegende zweiadrige Verbindungskabel\n"
        "      (braun, orange) benutzen (Achtung: die Benutzung anderer Kabel kann zur Zerstörung\n"
        "      des USB-Ports am PC führen). Es ist darauf zu achten, dass die braune Ader des\n"
        "      Verbindungskabels jeweils mit dem Minus-Kontakt (-) verbunden ist (bei Empfänger\n"
        "      und Kovo-USB Link).Der Kovo Receiver SAT1 wird direkt mit seinem Anschlußkabel\n"
        "      an das Kovo-USB-Link angeschlossen.",
        "5.   den Button \"KovoXxxx-Gerät verbinden (F1)\" drücken und das KovoXxxx-Gerät\n"
        "      innerhalb von 5 Sek. nach Anklicken von \"KovoXxxx-Gerät verbinden (F1)\" einschalten\n"
        "      (mit Akku verbinden/Spannung versorgen bzw.beim Kovo Receiver SAT1 \n"
        "      Anschlußkabel anstecken). Sollte der Zeitraum verpasst worden sein, bitte Button \n"
        "      erneut drücken und erst danach wieder das KovoXxxx-Gerät einschalten.",
        "6.   \"Firmware Datei laden (F2)\" betätigen und gültige Firmwaredatei (Endung *.frm)\n"
        "      für das KovoXxxx-Gerät auswählen.",
        "7.   mit Betätigung von \"Firmware programmieren (F3)\" KovoXxxx-Gerät Firmware\n"
        "      programmieren. Bei Fehlermeldung Firmware-Update wiederholen.",
    },
    .labels = {{
        {PANEL_QUIT, "Programm beenden (ESC)"},
        {PANEL_COMPORT, "Com-Port-Auswahlfeld"},
        {PANEL_DEVICE_TYPE, "Empfängertyp"},
        {PANEL_BOOT_VERSION, "Bootloaderversion"},
        {PANEL_CONNECT, "KovoXxxx-Gerät verbinden (F1)"},
        {PANEL_LOAD_FILE, "Firmware Datei laden (F2)"},
        {PANEL_PROGRAM, "Firmware programmieren (F3)"},
        {PANEL_FILENAME, "Dateiname"},
        {PANEL_LOAD_PROGRESS, "lade Firmwaredatei..."},
        {PANEL_FLASH_PROGRESS, "programmiere Firmware..."},
        {PANEL_PARAM_PROGRESS, "programmiere Parameter..."},
    }},
    .flash_error = {
        "Programmierfehler",
        "Programmierung Fehlerhaft!\n"
        "Empfänger neu verbinden\n"
        "und Programmierung wiederholen!",
        "Programmierfehler",
        "Ein Firmwareupdate von diesem KovoXxxx Gerät wird mit\n"
        "dieser Version von KovoUpdate nicht unterstützt!",
        "Dateifehler",
        "Datei Fehlerhaft!",
    },
};

// English, language 1
constexpr LanguageTexts kEnglish = {
    .port_error = {"COM-Port",
                   "COM-Port not found!\n"
                   "Please select another COM-Port!"},
    .title_format = "PC-KovoFlash V%s",
    .steps = {
        "1.   install the drivers for the Kovo-USB-Link, if not done already",
        "2.   connect the Kovo-USB-Link to a USB port of your PC",
        "3.   select the Com-port where the Kovo-USB-Link is connected to\n"
        "      (Silicon Labs CP210x USB to UART Bridge) ",
        "4.   connect the Kovo-USB-Link to the DAT-output of the KovoXxxx device. Use only the\n"
        "      two-core connection cable (brown, orange) which is included in the Kovo-USB-Link\n"
        "      (Warning: Using other cablesmay destroy the USB port of your PC). Make sure that\n"
        "      the brown wire of the connection cable is connected to the minus contact (-) of\n"
        "      KovoXxxx device and Kovo-USB-Link. The Kovo Receiver SAT1 is directly connected\n"
        "      with its connecting cable to the Kovo-USB-Lnk.",
        "5.   click the button \"Connect KovoXxxx device (F1)\" and within 5 seconds switch on the\n"
        "      KovoXxxx device (by connecting to battery/power supply or plug in connecting cable at \n"
        "      Kovo Receiver SAT1). If you have missed to switch on within 5 seconds, click the button\n"
        "      again and then switch on the KovoXxxx device again.",
        "6.   click the button\"Load firmware file (F2)\" and select vaid firmware file (ending *.frm)\n"
        "      to the KovoXxxx device.",
        "7.   with click on button \"program firmware... (F3)\" program firmware of KovoXxxx device\n"
        "      If error message, restart firmware update.",
    },
    .labels = {{
        {PANEL_QUIT, "Quit (ESC)"},
        {PANEL_COMPORT, "Com-port selection"},
        {PANEL_DEVICE_TYPE, "receiver type"},
        {PANEL_BOOT_VERSION, "bootloader version"},
        {PANEL_CONNECT, "Connect KovoXxxx device (F1)"},
        {PANEL_LOAD_FILE, "Load firmware file (F2)"},
        {PANEL_PROGRAM, "Program firmware (F3)"},
        {PANEL_FILENAME, "Filename"},
        {PANEL_LOAD_PROGRESS, "load firmware file..."},
        {PANEL_FLASH_PROGRESS, "program firmware..."},
        {PANEL_PARAM_PROGRESS, "program parameter..."},
    }},
    .flash_error = {
        "Programming error",
        "Incorrect programming!\n"
        "Reconnect receiver\n"
        "and restart programming!",
        "Programming error",
        "Updating firmware of this KovoXxxx device is not\n"
        "available with this version of KovoUpdate!",
        "File error",
        "File faulty!",
    },
};
// clang-format on

constexpr bool fits(const char* text, std::size_t buffer_size) {
  return std::char_traits<char>::length(text) < buffer_size;
}

// Each message text fits the buffer it is copied into, so none is cut short.
constexpr bool messages_fit(const LanguageTexts& texts) {
  return fits(texts.port_error[0], kMessageTextSize) && fits(texts.port_error[1], kMessageTextSize) &&
         fits(texts.flash_error[0], kMessageTextSize) && fits(texts.flash_error[1], kMessageTextSize) &&
         fits(texts.flash_error[2], kMessageTextSize) && fits(texts.flash_error[3], kLongMessageTextSize) &&
         fits(texts.flash_error[4], kMessageTextSize) && fits(texts.flash_error[5], kMessageTextSize);
}
static_assert(messages_fit(kGerman) && messages_fit(kEnglish));

template <std::size_t N>
void copy_text(char (&target)[N], const char* text) {
  std::snprintf(target, N, "%s", text);
}

void write_texts(const LanguageTexts& texts) {
  copy_text(text_port_err_1, texts.port_error[0]);
  copy_text(text_port_err_2, texts.port_error[1]);
  char title[kMessageTextSize];
  std::snprintf(title, sizeof title, texts.title_format, version);
  SetPanelAttribute(MAIN_P, ATTR_TITLE, title);
  for (std::size_t step = 0; step < kStepControls.size(); ++step) {
    SetCtrlVal(MAIN_P, kStepControls[step], texts.steps[step]);
  }
  for (const Label& label : texts.labels) {
    SetCtrlAttribute(MAIN_P, label.control, ATTR_LABEL_TEXT, label.text);
  }
  copy_text(text_flash_err_1, texts.flash_error[0]);
  copy_text(text_flash_err_2, texts.flash_error[1]);
  copy_text(text_flash_err_3, texts.flash_error[2]);
  copy_text(text_flash_err_4, texts.flash_error[3]);
  copy_text(text_flash_err_5, texts.flash_error[4]);
  copy_text(text_flash_err_6, texts.flash_error[5]);
}

} // namespace

void set_language(int language) {
  if (language != 0 && language != 1) return;
  write_texts(language == 0 ? kGerman : kEnglish);
  SetDialogLanguage(language);
}

} // namespace kovo
