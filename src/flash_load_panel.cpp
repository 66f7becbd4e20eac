// The panel's Load button on top of the parser: the file dialog, the
// progress indicator, the remembered path and the error message.
#include "flash_load.h"

#include "24GHz_prog.h"
#include "flash.h"
#include "glob.h"
#include "userint.h"
#include "util.h"
#include "utility.h"

#include <cstdio>

namespace kovo {
namespace {

constexpr char kFirmwareFiles[] = "*.frm";
constexpr char kDialogTitle[] = "Firmware KovoRecv";

class LoadIndicator final : public LoadProgress {
public:
  using LoadProgress::LoadProgress;

private:
  void show(unsigned value) override { SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, static_cast<int>(value)); }
};

void reset_for_load() {
  SetCtrlVal(MAIN_P, PANEL_FLASH_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_LOAD_PROGRESS, 0);
  SetCtrlVal(MAIN_P, PANEL_PARAM_PROGRESS, 0);
  image_loaded = false;
  offer_programming();
  ResetTextBox(MAIN_P, PANEL_FILENAME, "");
  SetCtrlVal(MAIN_P, PANEL_FILENAME, " ");
}

bool choose_file(char (&path)[MAX_PATHNAME_LEN]) {
  return FileSelectPopup(datei_pfad, kFirmwareFiles, kFirmwareFiles, kDialogTitle, VAL_LOAD_BUTTON, 0, 1, 1, 0, path) !=
         VAL_NO_FILE_SELECTED;
}

// Stored before the file is read, so a faulty file is still the next starting point.
void remember_file(const char* path) {
  std::snprintf(datei_pfad, sizeof datei_pfad, "%s", path);
  ini_datei(1);
  SetCtrlVal(MAIN_P, PANEL_FILENAME, path);
}

// A file that cannot be read to its end counts as faulty and leaves the image alone.
ParseResult load_file(std::FILE* file) {
  LoadIndicator indicator(memory_size);
  const HexText text = read_hex_text(file, data_hex, indicator);
  if (std::ferror(file)) return ParseResult::Faulty;
  preset_image(data_flash, memory_size);
  return parse_hex_rows(data_hex, text, data_flash, indicator);
}

// Only a regular file is read: a pipe or a device could block or never end.
ParseResult load_path(const char* path) {
  std::FILE* file = OpenRegularFile(path, kMaxFirmwareFileBytes);
  if (!file) return ParseResult::Faulty;
  const ParseResult result = load_file(file);
  std::fclose(file);
  return result;
}

} // namespace

int LOAD_CRYPT_FILE(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  reset_for_load();
  char path[MAX_PATHNAME_LEN];
  if (!choose_file(path)) return 0;
  remember_file(path);
  const ParseResult result = load_path(path);
  if (result == ParseResult::Faulty) MessagePopup(text_flash_err_5, text_flash_err_6);
  image_loaded = loaded(result);
  offer_programming();
  return 0;
}

} // namespace kovo
