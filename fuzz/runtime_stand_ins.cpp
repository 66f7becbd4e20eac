// The run-time calls that the parser's source files refer to. The parser
// itself must never reach one, so each stops the run when called.
#include "rs232.h"
#include "userint.h"
#include "utility.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void not_for_the_parser(const char* call) {
  std::fprintf(stderr, "fuzz_parse: the parser called the run-time's %s\n", call);
  std::abort();
}

} // namespace

int SetCtrlVal(int, int, int) { not_for_the_parser("SetCtrlVal"); }
int SetCtrlVal(int, int, const char*) { not_for_the_parser("SetCtrlVal"); }
int GetCtrlVal(int, int, int*) { not_for_the_parser("GetCtrlVal"); }
int SetCtrlAttribute(int, int, int, int) { not_for_the_parser("SetCtrlAttribute"); }
int ResetTextBox(int, int, const char*) { not_for_the_parser("ResetTextBox"); }
int ClearListCtrl(int, int) { not_for_the_parser("ClearListCtrl"); }
int InsertListItem(int, int, int, const char*, int) { not_for_the_parser("InsertListItem"); }
int MessagePopup(const char*, const char*) { not_for_the_parser("MessagePopup"); }
int HidePanel(int) { not_for_the_parser("HidePanel"); }
int DisplayPanel(int) { not_for_the_parser("DisplayPanel"); }
int FileSelectPopup(const char*, const char*, const char*, const char*, int, int, int, int, int, char*) {
  not_for_the_parser("FileSelectPopup");
}

std::FILE* OpenFile(const char*, const char*) { not_for_the_parser("OpenFile"); }
std::FILE* OpenRegularFile(const char*, long long) { not_for_the_parser("OpenRegularFile"); }
int ReplaceTextFile(const char*, const char*, std::size_t) { not_for_the_parser("ReplaceTextFile"); }

int OpenComConfig(int, const char*, long, int, int, int, int, int) { not_for_the_parser("OpenComConfig"); }
int FlushInQ(int) { not_for_the_parser("FlushInQ"); }
int FlushOutQ(int) { not_for_the_parser("FlushOutQ"); }
int SetComTime(int, double) { not_for_the_parser("SetComTime"); }
int ComSetEscape(int, int) { not_for_the_parser("ComSetEscape"); }
int ComWrt(int, const void*, int) { not_for_the_parser("ComWrt"); }
int ComRd(int, void*, int) { not_for_the_parser("ComRd"); }
int ReturnRS232Err() { not_for_the_parser("ReturnRS232Err"); }
int ListSerialPorts(SerialPortEntry*, int) { not_for_the_parser("ListSerialPorts"); }
